#include "serial/SerPersistent.h"

#include <typeinfo>

void TSerPersistent::EndUpdate()
{
    if (m_updateCount > 0)
        --m_updateCount;
    Changed();
}

void TSerPersistent::Changed()
{
    if (m_updateCount == 0 && m_onChange)
        m_onChange();
}

void TSerPersistent::Assign(const TSerPersistent& source)
{
    if (typeid(source) != typeid(*this)) {
        throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                                .arg(QLatin1String(source.ClassName()), QLatin1String(ClassName())));
    }
    if (&source == this)
        return;
    Guard();
    BeginUpdate();
    AssignFrom(source);
    EndUpdate();
}

void TSerFlowControl::AssignFrom(const TSerPersistent& source)
{
    const auto& from = static_cast<const TSerFlowControl&>(source);
    m_outCtsFlow = from.m_outCtsFlow;
    m_outDsrFlow = from.m_outDsrFlow;
    m_controlDtr = from.m_controlDtr;
    m_controlRts = from.m_controlRts;
    m_xonXoffOut = from.m_xonXoffOut;
    m_xonXoffIn = from.m_xonXoffIn;
    m_dsrSensitivity = from.m_dsrSensitivity;
    m_txContinueOnXoff = from.m_txContinueOnXoff;
}

void TSerEventChars::SetChar(int index, uint8_t value)
{
    if (index < 1 || index > 5)
        return;
    Store(m_chars[index - 1], value);
}

void TSerEventChars::AssignFrom(const TSerPersistent& source)
{
    const auto& from = static_cast<const TSerEventChars&>(source);
    for (int i = 0; i < 5; ++i)
        m_chars[i] = from.m_chars[i];
}

void TSerBuffers::AssignFrom(const TSerPersistent& source)
{
    const auto& from = static_cast<const TSerBuffers&>(source);
    m_readSize = from.m_readSize;
    m_writeSize = from.m_writeSize;
    m_readTimeout = from.m_readTimeout;
    m_writeTimeout = from.m_writeTimeout;
    m_xonLimit = from.m_xonLimit;
    m_xoffLimit = from.m_xoffLimit;
}
