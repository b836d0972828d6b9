#pragma once

#include <string>

// A narrow byte string (any bytes 0x00-0xFF; the system's own texts are
// Windows-1250) with 1-based character positions and validated number
// conversions. Position 0 means "not found".
//
// Value semantics: every copy is independent in value. Copies share their
// storage until one of them is written, so passing and returning by value is
// cheap. The sharing count is atomic: separate AnsiString objects may be used
// on different threads even when they are copies of one another; one object
// must not be used by two threads at once.
//
// ToInt and ToDouble throw an AnsiString (the failed operation's name), not an
// Exception; catch (...) or catch (const AnsiString&) to see it. Number
// conversions read and write the C locale whatever the process locale is.
class AnsiString {
 public:
  AnsiString() noexcept = default;
  AnsiString(const char* text);  // NOLINT: a null pointer is the empty text
  // A null pointer or a count <= 0 gives the empty text.
  AnsiString(const char* bytes, int count);
  AnsiString(const std::string& text);  // NOLINT: implicit by design
  AnsiString(std::string&& text);       // NOLINT: takes over the bytes
  explicit AnsiString(char byte);
  explicit AnsiString(int value);       // "%d"
  explicit AnsiString(unsigned value);  // "%u"
  // At most eight fraction digits, trailing zeros dropped, and a fraction
  // within 1e-8 of a whole number rounded to it: 3.125 -> "3.125",
  // 2.000000001 -> "2", 7.999999999 -> "8". Values whose integer part does
  // not fit a 32-bit int (and NaN, infinities) get the shortest text that
  // reads back to the same double.
  explicit AnsiString(double value);

  AnsiString(const AnsiString& other);
  AnsiString(AnsiString&& other) noexcept;
  AnsiString& operator=(const AnsiString& other);
  AnsiString& operator=(AnsiString&& other) noexcept;

  virtual AnsiString& operator=(const char* text);
  virtual AnsiString& operator=(const std::string& text);
  // Zero-terminated; valid until this object is next changed or destroyed.
  virtual const char* CStr() const;
  virtual int Length() const;
  // Positions 1..Length are the caller's duty: a debug build asserts, a
  // release build throws std::out_of_range rather than leave the storage.
  virtual unsigned char operator[](int position) const;
  // The reference stays private to this object: later copies of it take
  // their own storage, so writes through the reference never leak into them.
  virtual char& operator[](int position);
  virtual AnsiString operator+(const AnsiString& other) const;
  virtual AnsiString& operator+=(const AnsiString& other);
  // Drops leading and trailing bytes 0x00-0x20; bytes 0x80-0xFF are kept.
  virtual AnsiString Trimmed() const;
  // ASCII letters and the Windows-1250 Polish letters.
  virtual AnsiString ToUpper() const;
  // 1-based position of the first occurrence, 0 if absent; the empty needle
  // is found at 1.
  virtual int Find(const AnsiString& needle) const;
  virtual bool operator==(const AnsiString& other) const;
  virtual bool operator!=(const AnsiString& other) const;
  // Unsigned byte-wise order; a proper prefix sorts first.
  virtual bool operator<(const AnsiString& other) const;
  virtual bool operator>(const AnsiString& other) const;
  // At most count bytes from the 1-based position (none for a negative
  // count). Position Length + 1 yields the empty text; position 0 or beyond
  // Length + 1 throws std::out_of_range.
  virtual AnsiString Substring(int position, int count) const;
  // Base-10 strtol over the whole text (leading white space and a sign
  // accepted), saturated at the 32-bit limits. Throws
  // AnsiString("AnsiString::ToInt()") when the text is empty or any byte is
  // left unconverted (an embedded zero byte included).
  virtual int ToInt() const;
  // ToInt, or the fallback when ToInt throws.
  virtual int ToIntOr(int fallback) const;
  // strtod over the whole text; throws AnsiString("AnsiString::ToDouble()")
  // under the same rules as ToInt.
  virtual double ToDouble() const;
  virtual ~AnsiString();

  const std::string& str() const;

 private:
  struct Rep;

  // Drops one share of rep, deleting it with the last.
  static void Release(Rep* rep);
  // Makes the storage this object's alone, ready to be written.
  std::string& Mutable();

  Rep* rep_ = nullptr;  // null for the empty text
};

AnsiString operator+(const char* left, const AnsiString& right);
