#pragma once

#include "serial/SerTypes.h"

#include <cstdint>
#include <functional>

// Base of the component's settings groups. A group tells its owner about changes through one
// notification, which BeginUpdate/EndUpdate fold into a single call; an owner that must refuse a
// change (a group that cannot change while the port is open) installs a guard that runs before
// anything is stored. A group is owned by exactly one component and is never copied; values move
// between groups through Assign.
class TSerPersistent {
public:
    TSerPersistent() = default;
    virtual ~TSerPersistent() = default;
    TSerPersistent(const TSerPersistent&) = delete;
    TSerPersistent& operator=(const TSerPersistent&) = delete;

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    void Changed();
    int UpdateCount() const { return m_updateCount; }

    // Copies every value from a group of the same class, notifying once. Anything else cannot be
    // assigned and raises EConvertError.
    virtual void Assign(const TSerPersistent& source);

    void SetOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }
    void SetGuard(std::function<void()> guard) { m_guard = std::move(guard); }

    virtual const char* ClassName() const = 0;

protected:
    virtual void AssignFrom(const TSerPersistent& source) = 0;

    // Stores value into field and notifies when it differs; the guard runs first and may raise.
    template <typename T>
    void Store(T& field, const T& value)
    {
        if (field == value)
            return;
        Guard();
        field = value;
        Changed();
    }
    void Guard()
    {
        if (m_guard)
            m_guard();
    }

private:
    int m_updateCount = 0;
    std::function<void()> m_onChange;
    std::function<void()> m_guard;
};

// Flow control of the line. All off after construction.
class TSerFlowControl final : public TSerPersistent {
public:
    bool OutCtsFlow() const { return m_outCtsFlow; }
    bool OutDsrFlow() const { return m_outDsrFlow; }
    TSerControlDtr ControlDtr() const { return m_controlDtr; }
    TSerControlRts ControlRts() const { return m_controlRts; }
    bool XonXoffOut() const { return m_xonXoffOut; }
    bool XonXoffIn() const { return m_xonXoffIn; }
    bool DsrSensitivity() const { return m_dsrSensitivity; }
    bool TxContinueOnXoff() const { return m_txContinueOnXoff; }

    void SetOutCtsFlow(bool value) { Store(m_outCtsFlow, value); }
    void SetOutDsrFlow(bool value) { Store(m_outDsrFlow, value); }
    void SetControlDtr(TSerControlDtr value) { Store(m_controlDtr, value); }
    void SetControlRts(TSerControlRts value) { Store(m_controlRts, value); }
    void SetXonXoffOut(bool value) { Store(m_xonXoffOut, value); }
    void SetXonXoffIn(bool value) { Store(m_xonXoffIn, value); }
    void SetDsrSensitivity(bool value) { Store(m_dsrSensitivity, value); }
    void SetTxContinueOnXoff(bool value) { Store(m_txContinueOnXoff, value); }

    const char* ClassName() const override { return "TSerFlowControl"; }

protected:
    void AssignFrom(const TSerPersistent& source) override;

private:
    bool m_outCtsFlow = false;
    bool m_outDsrFlow = false;
    TSerControlDtr m_controlDtr = dtrDisabled;
    TSerControlRts m_controlRts = rtsDisabled;
    bool m_xonXoffOut = false;
    bool m_xonXoffIn = false;
    bool m_dsrSensitivity = false;
    bool m_txContinueOnXoff = false;
};

// The special characters of the line. The five share one setter, indexed 1 to 5 in the order
// XonChar, XoffChar, ErrorChar, EventChar, EofChar.
class TSerEventChars final : public TSerPersistent {
public:
    uint8_t XonChar() const { return m_chars[0]; }
    uint8_t XoffChar() const { return m_chars[1]; }
    uint8_t ErrorChar() const { return m_chars[2]; }
    uint8_t EventChar() const { return m_chars[3]; }
    uint8_t EofChar() const { return m_chars[4]; }

    void SetChar(int index, uint8_t value);
    void SetXonChar(uint8_t value) { SetChar(1, value); }
    void SetXoffChar(uint8_t value) { SetChar(2, value); }
    void SetErrorChar(uint8_t value) { SetChar(3, value); }
    void SetEventChar(uint8_t value) { SetChar(4, value); }
    void SetEofChar(uint8_t value) { SetChar(5, value); }

    const char* ClassName() const override { return "TSerEventChars"; }

protected:
    void AssignFrom(const TSerPersistent& source) override;

private:
    uint8_t m_chars[5] = {17, 19, 0, 0, 0};
};

// Queue sizes and time-outs. ReadTimeout and WriteTimeout are plain values: changing them tells
// nobody and is allowed at any time.
class TSerBuffers final : public TSerPersistent {
public:
    int ReadSize() const { return m_readSize; }
    int WriteSize() const { return m_writeSize; }
    int ReadTimeout() const { return m_readTimeout; }
    int WriteTimeout() const { return m_writeTimeout; }
    int XonLimit() const { return m_xonLimit; }
    int XoffLimit() const { return m_xoffLimit; }

    void SetReadSize(int value) { Store(m_readSize, value); }
    void SetWriteSize(int value) { Store(m_writeSize, value); }
    void SetReadTimeout(int value) { m_readTimeout = value; }
    void SetWriteTimeout(int value) { m_writeTimeout = value; }
    void SetXonLimit(int value) { Store(m_xonLimit, value); }
    void SetXoffLimit(int value) { Store(m_xoffLimit, value); }

    const char* ClassName() const override { return "TSerBuffers"; }

protected:
    void AssignFrom(const TSerPersistent& source) override;

private:
    int m_readSize = 4096;
    int m_writeSize = 2048;
    int m_readTimeout = 1000;
    int m_writeTimeout = 1000;
    int m_xonLimit = 1024;
    int m_xoffLimit = 1024;
};
