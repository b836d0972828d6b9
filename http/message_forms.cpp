#include "http/message_forms.h"

#include <string>

#include "runtime/exception.h"

namespace message_forms {

void openTag(StringBuffer& out, const char* name) {
  out.AppendChar('<');
  out.AppendCStr(name);
  out.AppendChar('>');
}

void closeTag(StringBuffer& out, const char* name) {
  out.AppendCStr("</");
  out.AppendCStr(name);
  out.AppendChar('>');
}

void emptyTag(StringBuffer& out, const char* name) {
  out.AppendChar('<');
  out.AppendCStr(name);
  out.AppendCStr("/>");
}

void textElement(StringBuffer& out, const char* name, const AnsiString& text) {
  openTag(out, name);
  out.AppendCStr("<![CDATA[");
  out.Append(text);
  out.AppendCStr("]]>");
  closeTag(out, name);
}

void intElement(StringBuffer& out, const char* name, int value) {
  textElement(out, name, AnsiString(value));
}

void throwNoCase(const char* prefix, int kind) { throw Exception(prefix + AnsiString(kind) + ")"); }

AnsiString readString(BinaryReader& in) {
  AnsiString text;
  in.readString(text);
  return text;
}

int readInt(BinaryReader& in) {
  int value = 0;
  in.readInt(value);
  return value;
}

int readCount(BinaryReader& in, const char* failure) {
  const int count = readInt(in);
  if (count < 0) throw Exception(failure);
  return count;
}

SimpleData caseTree(const char* name, const SimpleData& value) {
  return SimpleData(SimpleVariant(name, value));
}

}  // namespace message_forms
