#pragma once

#include <QString>
#include <QtGlobal>

// The program's version as the four 16-bit fields of a file version, taken from the build.
struct FileVersionFields {
    quint16 major = 0;
    quint16 minor = 0;
    quint16 release = 0;
    quint16 build = 0;
};

FileVersionFields GetFileVersionFields();

// major.minor.release.build, e.g. "2.0.0.1".
QString versionText();
