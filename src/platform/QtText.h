// Record bytes and Qt strings: the conversions of the editor and every label.
#pragma once

#include <QString>
#include <string>

QString ToQString(const std::string& utf8);
std::string ToUtf8(const QString& text);
// Record bytes (UTF-8, or Windows-1252 when not valid UTF-8) to editor text, any line end
// becoming one line break; and back, line breaks as CR LF and no NUL.
QString RecordToQString(const std::string& bytes);
std::string QStringToRecord(const QString& text);
