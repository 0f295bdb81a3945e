// UTF-8 and record bytes as Qt strings: the conversions of the editor and every label.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "store/TextCoding.h"

QString ToQString(const std::string& utf8);
std::string ToUtf8(const QString& text);
std::u16string_view View(const QString& text);
QString FromView(std::u16string_view text);
