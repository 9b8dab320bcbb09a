#pragma once
// The identity string format shared by the Kor library family:
// "<KorLibrary::Name::02::00::00::00::Unicode-Intel-Release::Timestamp::Apr 11 2008::12:18:24>".
// Everything here is evaluated at compile time, so an identity string built
// with it is constant data that exists as soon as its module is mapped.

#include <cstddef>

namespace kor {

// Fixed-capacity UTF-16 text assembled by constant expressions. Writing past
// the capacity is not a constant expression, so it fails the build.
struct IdentityText {
    static constexpr size_t kCapacity = 160;
    char16_t chars[kCapacity] = {};  // always NUL-terminated
    size_t length = 0;

    constexpr void Append(const char16_t* text) {
        while (*text != u'\0') Push(*text++);
    }
    constexpr void Append(const IdentityText& text) {
        for (size_t i = 0; i < text.length; ++i) Push(text.chars[i]);
    }
    constexpr void Push(char16_t unit) {
        chars[length++] = unit;
        chars[length] = u'\0';
    }
    constexpr void PushAscii(char c) { Push(char16_t(static_cast<unsigned char>(c))); }
};

// The compiler's date "Mmm dd yyyy" (as __DATE__ gives it) written as "Mmm d yyyy":
// __DATE__ pads a single-digit day with a space ("Dec  1 2026"); the identity
// writes the day of the month as a plain number ("Dec 1 2026") so that the
// fields stay separated by single spaces.
constexpr IdentityText BuildDate(const char* date) {
    IdentityText text;
    for (int i = 0; i < 3; ++i) text.PushAscii(date[i]);
    text.Push(u' ');
    if (date[4] != ' ' && date[4] != '0') text.PushAscii(date[4]);
    text.PushAscii(date[5]);
    text.Push(u' ');
    for (int i = 7; i < 11; ++i) text.PushAscii(date[i]);
    return text;
}

// "Apr 11 2008::12:18:24" from __DATE__ and __TIME__ ("hh:mm:ss", two digits each).
constexpr IdentityText Timestamp(const char* date, const char* time) {
    IdentityText text = BuildDate(date);
    text.Append(u"::");
    for (int i = 0; i < 8; ++i) text.PushAscii(time[i]);
    return text;
}

// The whole identity string of a library with the given short name and four
// two-digit version parts, built at the given __DATE__ and __TIME__.
constexpr IdentityText IdentityString(const char16_t* name, const char16_t* part1,
                                      const char16_t* part2, const char16_t* part3,
                                      const char16_t* part4, const char* date, const char* time) {
    IdentityText text;
    text.Append(u"<KorLibrary::");
    text.Append(name);
    const char16_t* const parts[] = {part1, part2, part3, part4};
    for (const char16_t* part : parts) {
        text.Append(u"::");
        text.Append(part);
    }
    text.Append(u"::Unicode-Intel-Release::Timestamp::");
    text.Append(Timestamp(date, time));
    text.Push(u'>');
    return text;
}

}  // namespace kor
