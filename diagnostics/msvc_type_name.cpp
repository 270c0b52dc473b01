#include "diagnostics/msvc_type_name.h"

#include <cstdint>
#include <cstring>

#include "core/text_builder.h"

namespace {

constexpr int kBackReferences = 10;  // the digits 0 to 9
constexpr int kMaxParts = 16;        // name pieces of one qualified name, arguments of one template
constexpr int kMaxNesting = 16;
constexpr size_t kScratchSize = 16 * 1024;

struct Span {
  const char* text;
  size_t length;
  bool operator==(const Span& other) const {
    return length == other.length && std::memcmp(text, other.text, length) == 0;
  }
};

// Names met so far that a digit may refer back to. A template's argument
// list starts a table of its own and the outer table resumes after it.
struct NameTable {
  Span names[kBackReferences];
  int count = 0;
  void Remember(Span name) {
    for (int i = 0; i < count; ++i) {
      if (names[i] == name) return;
    }
    if (count < kBackReferences) names[count++] = name;
  }
};

struct PrimitiveType {
  char code;
  const char* name;
};
constexpr PrimitiveType kPrimitives[] = {
    {'C', "signed char"}, {'D', "char"},  {'E', "unsigned char"}, {'F', "short"},  {'G', "unsigned short"},
    {'H', "int"},         {'I', "unsigned int"}, {'J', "long"},   {'K', "unsigned long"}, {'M', "float"},
    {'N', "double"},      {'O', "long double"},  {'X', "void"},
};
// After an underscore.
constexpr PrimitiveType kExtendedPrimitives[] = {
    {'J', "__int64"}, {'K', "unsigned __int64"}, {'N', "bool"},     {'W', "wchar_t"},
    {'S', "char16_t"}, {'U', "char32_t"},        {'Q', "char8_t"},
};

// A recursive-descent reader of the decorated grammar. Every piece of text
// it builds lives in one scratch area, so nothing is allocated; running out
// of it, of nesting or of parts fails the whole name.
class Decoder {
 public:
  constexpr Decoder() {}

  bool TypeDescriptor(const char* text, Span* name) {
    p_ = text;
    depth_ = 0;
    used_ = 0;
    if (!Consume(".?A")) return false;
    NameTable outer;
    names_ = &outer;
    if (*p_ != 'V' && *p_ != 'U') return false;
    return Type(name) && *p_ == '\0';
  }

 private:
  bool Consume(const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (std::strncmp(p_, prefix, length) != 0) return false;
    p_ += length;
    return true;
  }

  // Joins spans (and literal texts) into a new span of the scratch area.
  void Begin() { start_ = used_; }
  bool Add(const char* text, size_t length) {
    if (used_ + length > kScratchSize) return false;
    std::memcpy(scratch_ + used_, text, length);
    used_ += length;
    return true;
  }
  bool Add(const char* text) { return Add(text, std::strlen(text)); }
  bool Add(Span span) { return Add(span.text, span.length); }
  Span End() const { return {scratch_ + start_, used_ - start_}; }

  bool Type(Span* out) {
    if (++depth_ > kMaxNesting) return false;
    const bool decoded = TypeAtDepth(out);
    --depth_;
    return decoded;
  }

  bool TypeAtDepth(Span* out) {
    const char code = *p_;
    if (code == '\0') return false;
    ++p_;
    if (code == 'V' || code == 'U' || code == 'T') return QualifiedName(out);
    if (code == 'W') return *p_++ == '4' && QualifiedName(out);
    if (code == 'P' || code == 'Q' || code == 'R' || code == 'S') return Pointer(code, out);
    if (code == 'A') return Reference("&", out);
    if (code == '_') return Primitive(kExtendedPrimitives, *p_++, out);
    if (code == '$') {
      if (Consume("$Q")) return Reference("&&", out);
      if (Consume("$T")) return Literal("std::nullptr_t", out);
      if (Consume("$C")) return Qualified(out);
      return false;
    }
    return Primitive(kPrimitives, code, out);
  }

  template <size_t N>
  bool Primitive(const PrimitiveType (&table)[N], char code, Span* out) {
    for (const PrimitiveType& primitive : table) {
      if (primitive.code == code) return Literal(primitive.name, out);
    }
    return false;
  }

  bool Literal(const char* text, Span* out) {
    *out = {text, std::strlen(text)};
    return true;
  }

  // The const and volatile of what a pointer or reference leads to.
  bool Qualifiers(const char** prefix) {
    if (*p_ == 'E') ++p_;  // a 64-bit pointer
    static constexpr const char* kByCode[] = {"", "const ", "volatile ", "const volatile "};
    if (*p_ < 'A' || *p_ > 'D') return false;
    *prefix = kByCode[*p_++ - 'A'];
    return true;
  }

  bool Qualified(Span* out) {
    const char* prefix = nullptr;
    Span type;
    if (!Qualifiers(&prefix) || !Type(&type)) return false;
    Begin();
    if (!Add(prefix) || !Add(type)) return false;
    *out = End();
    return true;
  }

  bool Pointer(char kind, Span* out) {
    static constexpr const char* kSuffixByKind[] = {"*", "* const", "* volatile", "* const volatile"};
    if (*p_ == '6' || *p_ == '8') return false;  // functions and members: not in class names
    const char* prefix = nullptr;
    Span pointee;
    if (!Qualifiers(&prefix) || !Type(&pointee)) return false;
    Begin();
    if (!Add(prefix) || !Add(pointee) || !Add(kSuffixByKind[kind - 'P'])) return false;
    *out = End();
    return true;
  }

  bool Reference(const char* suffix, Span* out) {
    const char* prefix = nullptr;
    Span referee;
    if (!Qualifiers(&prefix) || !Type(&referee)) return false;
    Begin();
    if (!Add(prefix) || !Add(referee) || !Add(suffix)) return false;
    *out = End();
    return true;
  }

  // Pieces from the innermost outwards, each ended by '@', the list by '@'.
  bool QualifiedName(Span* out) {
    Span parts[kMaxParts];
    int count = 0;
    while (*p_ != '@') {
      if (count == kMaxParts || !NamePiece(&parts[count++])) return false;
    }
    ++p_;
    if (count == 0) return false;
    Begin();
    for (int i = count - 1; i >= 0; --i) {
      if (!Add(parts[i]) || (i != 0 && !Add("::"))) return false;
    }
    *out = End();
    return true;
  }

  bool NamePiece(Span* out) {
    if (*p_ >= '0' && *p_ <= '9') {
      const int index = *p_++ - '0';
      if (index >= names_->count) return false;
      *out = names_->names[index];
      return true;
    }
    if (Consume("?$")) return TemplateName(out);
    if (Consume("?A")) {  // ?A0x1234abcd@
      const char* end = std::strchr(p_, '@');
      if (end == nullptr) return false;
      p_ = end + 1;
      *out = {"`anonymous namespace'", 21};
      names_->Remember(*out);
      return true;
    }
    return SimpleName(out);
  }

  bool SimpleName(Span* out) {
    const char* begin = p_;
    while (*p_ != '@' && *p_ != '\0' && *p_ != '?' && *p_ != '$') ++p_;
    if (*p_ != '@' || p_ == begin) return false;
    *out = {begin, static_cast<size_t>(p_ - begin)};
    ++p_;
    names_->Remember(*out);
    return true;
  }

  bool TemplateName(Span* out) {
    NameTable* outer = names_;
    NameTable inner;
    names_ = &inner;
    Span name;
    Span arguments[kMaxParts];
    int count = 0;
    bool decoded = SimpleName(&name);
    while (decoded && *p_ != '@') {
      if (Consume("$$V") || Consume("$$Z") || Consume("$S")) continue;  // empty packs
      decoded = count < kMaxParts && TemplateArgument(&arguments[count++]);
    }
    names_ = outer;
    if (!decoded || *p_++ != '@') return false;
    Begin();
    if (!Add(name) || !Add("<")) return false;
    for (int i = 0; i < count; ++i) {
      if (!Add(arguments[i]) || (i + 1 < count && !Add(", "))) return false;
    }
    if (!Add(">")) return false;
    *out = End();
    names_->Remember(*out);
    return true;
  }

  bool TemplateArgument(Span* out) {
    if (Consume("$0")) return Number(out);
    return Type(out);
  }

  // '?' for a negative number; a digit d for d + 1; otherwise hex digits
  // written as the letters A to P, ended by '@'.
  bool Number(Span* out) {
    const bool negative = *p_ == '?';
    if (negative) ++p_;
    unsigned long long value = 0;
    if (*p_ >= '0' && *p_ <= '9') {
      value = static_cast<unsigned long long>(*p_++ - '0') + 1;
    } else {
      int digits = 0;
      for (; *p_ >= 'A' && *p_ <= 'P'; ++p_, ++digits) value = value * 16 + static_cast<unsigned>(*p_ - 'A');
      if (*p_++ != '@' || digits == 0 || digits > 16) return false;
    }
    if (value > UINT32_MAX) return false;
    char text[12];
    TextBuilder number(text);
    if (negative) number.Append("-");
    number.AppendDecimal(static_cast<uint32_t>(value));
    Begin();
    if (!Add(text)) return false;
    *out = End();
    return true;
  }

  const char* p_ = "";
  NameTable* names_ = nullptr;
  int depth_ = 0;
  char scratch_[kScratchSize] = {};
  size_t used_ = 0;
  size_t start_ = 0;
};

// Static: the crash path may run with little stack left.
constinit Decoder g_decoder;

}  // namespace

bool DecodeTypeDescriptorName(const char* decorated, char* out, size_t capacity) {
  Span name;
  if (capacity == 0 || !g_decoder.TypeDescriptor(decorated, &name) || name.length + 1 > capacity) return false;
  std::memcpy(out, name.text, name.length);
  out[name.length] = '\0';
  return true;
}
