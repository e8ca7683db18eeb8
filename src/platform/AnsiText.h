// The one single-byte code page (Windows-1252) between the program's texts and the
// characters the controls show, and the rule every edit control applies to what the user
// types or pastes. Toolkit-free: each backend calls these at its own boundary.
#pragma once

#include <string>

namespace ansi {

// The character a byte stands for. The five bytes the code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control of the same number, as the system's
// conversion does, so every byte goes there and back unchanged.
char16_t ToWide(unsigned char byte);
// The byte for a character; false when the code page has none (the character is refused,
// never replaced).
bool ToByte(char16_t ch, unsigned char* byte);

std::u16string Widen(const std::string& bytes);
// False, with bytes untouched, when some character has no byte.
bool Narrow(const std::u16string& text, std::string* bytes);
// As Narrow, leaving out characters without a byte (none reach a control through this
// layer, so nothing is lost in practice).
std::string NarrowKnown(const std::u16string& text);

// Upper case within the code page: a letter whose capital the page does not hold (such as
// the sharp s) stays as it is.
unsigned char UpperByte(unsigned char byte);
std::u16string Upper(std::u16string text);

// What a single-line edit takes of pasted text: up to its first line break, as the system's
// edit control does, so that a line copied with its end adds no CR or LF to the text.
std::u16string FirstLine(const std::u16string& pasted);

// What the user's edit of an edit control (typing, pasting, dropping) may do. The limit
// and the upper-case style bind only what the user adds; text the program set is never
// cut. before is the text until now; after and cursor are the proposed text and caret.
enum class UserEdit {
    kAdmitted,    // after and cursor hold what the control shows now
    kRefused,     // a character the code page cannot hold: nothing changes, beep
    kNothingFits, // the limit leaves no room: nothing changes
};
UserEdit AdmitUserEdit(const std::u16string& before, std::u16string& after, int& cursor, int limit,
                       bool upperCase);

} // namespace ansi
