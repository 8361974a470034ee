#pragma once

#include <cstdint>
#include <string>

// Reads an install script line by line: LF or CR LF line ends, one trailing CR removed, lines cut at
// the script line limit (the rest of a longer line is dropped with a diagnostic line naming its number).
class ScriptReader {
public:
    static constexpr uint32_t kMaxLineLength = 2047;

    // Reads the whole script: false when it cannot be read, is no plain file (a pipe or a device is never
    // waited on) or is larger than the documents the program reads.
    bool Open(const char* path);
    // False when the script holds a byte that is no text (a control byte other than tab, line feed, vertical
    // tab, form feed and carriage return) after its first line; line tells which line holds the first one.
    bool HoldsOnlyTextAfterFirstLine(uint32_t& line) const;
    bool ReadLine(std::string& line);
    uint32_t GetLineNumber() const { return m_lineNumber; }
    // True when the line last read was cut at the limit.
    bool WasLineCut() const { return m_lineCut; }

private:
    std::string m_data;
    size_t m_position = 0;
    uint32_t m_lineNumber = 0;
    bool m_lineCut = false;
};
