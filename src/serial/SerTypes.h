#pragma once

#include "platform/Errors.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>

// Types shared by the port component family: its enumerations, the sets built from them, the
// event signatures and the one error type it raises.

enum TSerBaudrate {
    brUser, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600,
    br115200, br128000, br256000
};
enum TSerParity { paNone, paOdd, paEven, paMark, paSpace };
enum TSerDatabits { db4, db5, db6, db7, db8 };
enum TSerStopbits { sb1, sb15, sb2 };
enum TSerControlDtr { dtrDisabled, dtrEnabled, dtrHandshake };
enum TSerControlRts { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };
enum TSerCommEvent {
    ceBreak, ceCts, ceDsr, ceError, ceRing, ceRlsd, ceRxChar, ceTxEmpty, ceRxFlag, cePErr, ceRx80Full, ceEvent1,
    ceEvent2
};
enum TSerCommOption { coErrorChar, coNullStrip, coParityCheck };
enum TSerThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A set of enumerators with ordinals below 32, as the component's set-typed properties need.
template <typename E>
class TSerSet final {
public:
    constexpr TSerSet() = default;
    constexpr TSerSet(std::initializer_list<E> members)
    {
        for (E e : members)
            m_bits |= bit(e);
    }

    constexpr bool contains(E e) const { return (m_bits & bit(e)) != 0; }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr TSerSet& operator+=(E e)
    {
        m_bits |= bit(e);
        return *this;
    }
    constexpr TSerSet& operator-=(E e)
    {
        m_bits &= ~bit(e);
        return *this;
    }
    constexpr uint32_t bits() const { return m_bits; }
    constexpr bool operator==(const TSerSet&) const = default;

private:
    static constexpr uint32_t bit(E e) { return uint32_t(1) << unsigned(e); }
    uint32_t m_bits = 0;
};

using TSerCommEvents = TSerSet<TSerCommEvent>;
using TSerCommOptions = TSerSet<TSerCommOption>;

// Line-event bits. The values are the ones of the original platform's event masks, so a mask reads
// the same wherever it is logged or compared.
namespace SerEv {
constexpr uint32_t RxChar = 0x0001;
constexpr uint32_t RxFlag = 0x0002;
constexpr uint32_t TxEmpty = 0x0004;
constexpr uint32_t Cts = 0x0008;
constexpr uint32_t Dsr = 0x0010;
constexpr uint32_t Rlsd = 0x0020;
constexpr uint32_t Break = 0x0040;
constexpr uint32_t Err = 0x0080;
constexpr uint32_t Ring = 0x0100;
constexpr uint32_t PErr = 0x0200;
constexpr uint32_t Rx80Full = 0x0400;
constexpr uint32_t Event1 = 0x0800;
constexpr uint32_t Event2 = 0x1000;
} // namespace SerEv

// Line-error bits of the status record's error word.
namespace SerCe {
constexpr uint32_t RxOver = 0x0001;
constexpr uint32_t Overrun = 0x0002;
constexpr uint32_t RxParity = 0x0004;
constexpr uint32_t Frame = 0x0008;
constexpr uint32_t Break = 0x0010;
constexpr uint32_t TxFull = 0x0100;
} // namespace SerCe

// What QueryStatus returns: the error word (cleared by the query) and the queue counts.
struct TSerComStat {
    uint32_t Flags = 0;
    uint32_t cbInQue = 0;  // bytes waiting in the component's input queue
    uint32_t cbOutQue = 0; // bytes in the transmit buffer and the driver's output queue
};
struct TSerLineStatus {
    uint32_t Errors = 0;
    TSerComStat Stat;
};

class TSerCustomComm;
using TSerNotifyEvent = std::function<void(TSerCustomComm* Sender)>;
using TSerCommErrorEvent = std::function<void(TSerCustomComm* Sender, int Errors)>;
using TSerCommRxCharEvent = std::function<void(TSerCustomComm* Sender, int Count)>;
using TSerCommRxBufEvent = std::function<void(TSerCustomComm* Sender, const uint8_t* Data, int Count)>;
// The device went away while open; Message tells how ("Read error (5), Input/output error").
using TSerCommLostEvent = std::function<void(TSerCustomComm* Sender, const QString& Message)>;
// Bytes a write accepted for sending, on the thread that wrote them.
using TSerCommSentEvent = std::function<void(TSerCustomComm* Sender, const uint8_t* Data, int Count)>;

// The one error type of the port component. Its messages are English in every interface language.
// Errors of a system call also carry its errno, so that a caller can tell the user what to do about
// it (a denied access, say) without reading the message.
class ESerCommError final : public TalomaError {
public:
    explicit ESerCommError(const QString& message, int systemError = 0)
        : TalomaError(message), m_systemError(systemError)
    {
    }
    // The errno of the failed call; 0 when the error is not a system call's.
    int SystemError() const noexcept { return m_systemError; }

private:
    int m_systemError;
};

// Fills a message format of the component: "%d" takes the error code in decimal, "%s" the system's
// text for it, "%%" a per cent sign. Other characters are kept as they are.
QString SerFormatError(const QString& format, int errorCode);
// The system's text for an errno value, in the system's language.
QString SerSystemErrorText(int errorCode);
