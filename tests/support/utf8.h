#pragma once

// site-sim speaks std::string in UTF-8; the Qt side of a test compares QStrings.

#include <QString>

#include <string>

inline QString q(const std::string &utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
