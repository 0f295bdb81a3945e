// Record bytes and the editor's text. The editor's text is UTF-16 with LF line breaks; a
// record is UTF-8 when its bytes are valid UTF-8 and Windows-1252 otherwise (written on
// Windows), with CR LF line breaks. EncodeRecordText is the one place that decides the bytes a
// save writes, so the editor's byte limit counts with it too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"
#include "platform/Types.h"

bool IsValidUtf8(std::string_view s);
// Drops a trailing incomplete UTF-8 sequence left by a byte cut. Text that is not UTF-8
// before that tail (a record written in Windows-1252) is left as it is.
std::string_view DropIncompleteUtf8Tail(std::string_view s);

TextEncoding RecordEncoding(std::string_view bytes);
// The encoding as far as a record's first bytes tell; cut says that the record goes on after
// them, so that a sequence cut at their end is no proof of Windows-1252.
TextEncoding RecordEncodingOfStart(std::string_view start, bool cut);

// The editor text of a record: CR LF, CR and LF each one LF, and cleaned as typed text is.
std::u16string DecodeRecordText(std::string_view bytes);
// What may stand in the editor: CR LF, CR, U+2028 and U+2029 become LF, NUL goes, and what
// the editor would take for a block break or cannot store (U+FDD0, U+FDD1, a lone surrogate)
// becomes U+FFFD. Every text that reaches the editor passes this, so that a save writes what
// the editor shows.
std::u16string CleanEditorText(std::u16string_view text);

// The bytes a save writes: each line break as CR LF, in the record's own encoding while that
// can hold the text and the bytes cannot be taken for UTF-8 when read back; else UTF-8. No
// cut: the caller checks the 32,000-byte limit. Returns the encoding written.
TextEncoding EncodeRecordText(std::u16string_view text, TextEncoding preferred, std::string* bytes);
std::size_t StoredSize(std::u16string_view text, TextEncoding preferred);
// How much of an insertion fits in place of the text between start and end, counted as a
// save would store the result, within limit bytes; never a lone high surrogate at its end.
std::size_t FittingLength(std::u16string_view text, std::size_t start, std::size_t end, std::u16string_view insertion,
                          TextEncoding preferred, std::size_t limit);

// Record bytes as UTF-8 (titles and the export page); UTF-8 bytes stay as they are.
std::string RecordBytesToUtf8(std::string_view bytes, TextEncoding encoding);

// The rules above as every editor of the program takes them.
extern const EditorTextRules kRecordTextRules;
