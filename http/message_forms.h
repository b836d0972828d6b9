#pragma once

#include "runtime/ansi_string.h"
#include "runtime/binary_io.h"
#include "runtime/simple_data.h"
#include "runtime/string_buffer.h"

// The pieces that the generated message types (tools/typegen, back-end
// message_forms) share for their XML, binary and SimpleData forms. Element
// and case names are the generated code's own literals. No state: any thread
// may call these on its own values.
namespace message_forms {

// "<name>", "</name>" and "<name/>".
void openTag(StringBuffer& out, const char* name);
void closeTag(StringBuffer& out, const char* name);
void emptyTag(StringBuffer& out, const char* name);

// "<name><![CDATA[" text "]]></name>". The text goes in unchanged: a "]]>"
// inside it is not escaped.
void textElement(StringBuffer& out, const char* name, const AnsiString& text);
// The same with the value in decimal.
void intElement(StringBuffer& out, const char* name, int value);

// Throws Exception(prefix + kind in decimal + ")"), as in "HttpAuth::toXML(-1)".
[[noreturn]] void throwNoCase(const char* prefix, int kind);

AnsiString readString(BinaryReader& in);
int readInt(BinaryReader& in);
// An element count; a negative one throws Exception(failure).
int readCount(BinaryReader& in, const char* failure);

// A SimpleData variant named after the case, holding value.
SimpleData caseTree(const char* name, const SimpleData& value);

}  // namespace message_forms
