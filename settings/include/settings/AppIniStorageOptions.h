#pragma once

#include <string>

namespace miran::settings {

// How values are turned into text in the ini file.
class TAppIniStorageOptions {
public:
    // Comma-separated words read as true / false; the first word is what is written. A list whose first
    // word is empty switches BooleanAsString off.
    const std::string& BooleanStringTrueValues() const { return trueValues_; }
    void SetBooleanStringTrueValues(const std::string& words);
    const std::string& BooleanStringFalseValues() const { return falseValues_; }
    void SetBooleanStringFalseValues(const std::string& words);

    // Booleans as words rather than 0/1; can only be switched on while both lists have a first word.
    bool BooleanAsString() const { return booleanAsString_; }
    void SetBooleanAsString(bool value);

    // Line breaks inside values written as "\n" (and "\" as "\\").
    bool ReplaceCRLF() const { return replaceCRLF_; }
    void SetReplaceCRLF(bool value) { replaceCRLF_ = value; }

    // Values with leading or trailing blanks written in double quotes.
    bool PreserveLeadingTrailingBlanks() const { return preserveBlanks_; }
    void SetPreserveLeadingTrailingBlanks(bool value) { preserveBlanks_ = value; }

    std::string TrueWord() const;
    std::string FalseWord() const;
    // The text is one of the words of the list, ignoring case.
    bool IsTrueWord(const std::string& text) const;
    bool IsFalseWord(const std::string& text) const;

private:
    std::string trueValues_ = "TRUE, YES, Y";
    std::string falseValues_ = "FALSE, NO, N";
    bool booleanAsString_ = true;
    bool replaceCRLF_ = false;
    bool preserveBlanks_ = false;
};

} // namespace miran::settings
