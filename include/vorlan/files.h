// Vorlan files and data: eight numbered file channels, whole-file
// operations by name, the working directory, INI documents and
// line-indexed data files.
//
// File names may use "/" or "\" and hold at most 1023 bytes. Binary values
// are little-endian; written lines end in CR LF.
#pragma once

#include <vorlan/rt_array.h>
#include <vorlan/rt_string.h>

namespace vorlan {

// --- File channels ----------------------------------------------------------
// Channels 0 to 7. A channel number that is NaN, at least 8 or at most -1
// ends the program with error 7; a failed read or write (also on a closed
// channel, or past the end of the file) ends it with error 3. Written
// numbers are truncated toward zero and wrapped to the width (NaN is 0).

// Mode non-zero opens an existing file for reading; 0 creates or empties
// it for writing. 1.0 when the file is open. A file another channel holds
// open for writing, or one that is to be written while another channel
// reads it, is refused.
double openChannel(double channel, const RtString& name, double mode);
// Closes the channel's file; nothing when it is closed.
void closeChannel(double channel);
// 1.0 when every byte of the file has been read (always for writing).
double endOfChannel(double channel);

double readByte(double channel);    // 0 to 255
double readWord(double channel);    // unsigned 16 bits
double readLong(double channel);    // unsigned 32 bits
double readDouble(double channel);  // 8 bytes of an IEEE double
// The next `count` bytes, cut at the first NUL; count 0 or less gives "".
RtString readBytesAsText(double channel, double count);
// The next line without its LF or CR LF; at most 1024 bytes, a longer line
// goes on as the next one.
RtString readLine(double channel);
// The next line read as a number (textToNumber).
double readNumberLine(double channel);

void writeByte(double channel, double value);    // the low 8 bits
void writeWord(double channel, double value);    // the low 16 bits
void writeLong(double channel, double value);    // the low 32 bits
void writeDouble(double channel, double value);  // 8 bytes of an IEEE double
// The text's bytes alone, with no line end.
void writeText(double channel, const RtString& text);
// The text's bytes and CR LF.
void writeLine(double channel, const RtString& text);
// numberToText of the value and CR LF.
void writeNumberLine(double channel, double value);

// --- Files by name ----------------------------------------------------------

// Size in bytes; 0 when the file cannot be opened for reading.
double fileSize(const RtString& name);
// 1.0 when the name is a file that can be opened for reading.
double fileExists(const RtString& name);
// 1.0 when the file was deleted; folders are not.
double deleteFile(const RtString& name);
// Copies the whole file. The target is replaced only once the copy is
// complete; a copy onto the source itself is refused. 1.0 on success.
double copyFile(const RtString& source, const RtString& target);

// The working directory, ending in "/".
RtString currentDirectory();
// 1.0 when the folder became the working directory. Start-up makes the
// program's own folder the working directory.
double setCurrentDirectory(const RtString& name);
// Fills `names` with the working directory's subdirectories (".", "..",
// then the rest) and then its files that match `pattern`, each group in
// case-insensitive order. Gives directories * 65536 + files.
double listDirectory(const RtString& pattern, RtStringArray& names);
// "*" matches any run of bytes, "?" any one byte but "."; letters match
// without regard to case. 1.0 on a match.
double wildcardMatch(const RtString& pattern, const RtString& name);

// --- INI documents ------------------------------------------------------------
// One document at a time. Changes are saved when another document is opened
// and when the program ends. Section and key names compare without regard
// to case.

// Saves the open document if it has changes, then reads the named file as
// the document (empty when it cannot be read). Changes stay in memory until
// the next openIniFile or the end of the program, when they are written
// to this name (the file is made if missing); openIniFile("") saves and
// closes. Read through the media archive too, but always saved to disk.
void openIniFile(const RtString& name);
// "NO_DATA" when the section or key is missing.
RtString readIniValue(const RtString& section, const RtString& key);
// A name that could not be read back from the file (empty, holding a blank,
// "=", CR or LF, or a key starting with ";" or "[") is refused; a value is
// cut at its first CR or LF.
void writeIniValue(const RtString& section, const RtString& key, const RtString& value);

// --- Line-indexed data files ------------------------------------------------
// One file at a time, lines 0 to 255. Changes are saved when another file
// is used and when the program ends. A line number out of range or an
// unreadable file records error 7 or 3; the program goes on.

// The line without trailing control bytes, "NO_DATA" when that leaves
// nothing, "NO_FILE" when the file cannot be read.
RtString readDataLine(const RtString& name, double line);
// The line read as a number (textToNumber); "NO_DATA" and "NO_FILE" give 0.
double readDataNumber(const RtString& name, double line);
// The text is cut at its first CR or LF and after 1024 bytes, so that every
// line reads back under its own number.
void writeDataLine(const RtString& name, double line, const RtString& text);
// writeDataLine with numberToText of the value.
void writeDataNumber(const RtString& name, double line, double value);

// --- Saves --------------------------------------------------------------------
// High scores, settings and saved games belong in the user's data folder:
// relative names are read and written beside the program, which an
// installed game may not write to.

// The game's own folder for saves, ending in "/": $XDG_DATA_HOME/<program>/,
// else ~/.local/share/<program>/, where <program> is the program file's
// name. Made private (mode 0700) when missing. "" when it cannot be made
// (the log says why). For example:
//   openIniFile(userDataFolder() + "scores.ini");
RtString userDataFolder();

}  // namespace vorlan
