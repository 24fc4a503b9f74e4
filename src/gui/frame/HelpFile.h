#pragma once

#include <QString>

namespace orvik {

// The help file of a language: the language file's path cut before its last "." with ".chm"
// appended when that file exists, else the shipped ".html" page beside it.
QString HelpFilePath(const QString& languageFile);

} // namespace orvik
