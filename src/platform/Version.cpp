#include "platform/Version.h"

// A version part the build does not name (CMake leaves it empty) counts as 0.
#define TALOMA_VERSION_FIELD(value) (value + 0)

namespace {

constexpr long long Fields[4] = {
    TALOMA_VERSION_FIELD(TALOMA_VERSION_MAJOR),
    TALOMA_VERSION_FIELD(TALOMA_VERSION_MINOR),
    TALOMA_VERSION_FIELD(TALOMA_VERSION_RELEASE),
    TALOMA_VERSION_FIELD(TALOMA_VERSION_BUILD),
};

constexpr bool fitsSixteenBits()
{
    for (long long field : Fields) {
        if (field < 0 || field > 0xFFFF)
            return false;
    }
    return true;
}
static_assert(fitsSixteenBits(), "every part of the program's version must fit into 16 bits");

} // namespace

FileVersionFields GetFileVersionFields()
{
    return {quint16(Fields[0]), quint16(Fields[1]), quint16(Fields[2]), quint16(Fields[3])};
}

QString versionText()
{
    const FileVersionFields v = GetFileVersionFields();
    return QStringLiteral("%1.%2.%3.%4").arg(v.major).arg(v.minor).arg(v.release).arg(v.build);
}
