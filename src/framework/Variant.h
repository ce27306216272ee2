#pragma once
// A value that carries its own kind. Kinds are numbered as in the OLE Automation VARIANT, with
// 256 for the program's own 8-bit text.
#include <array>
#include <cstdint>
#include <string>

#include "framework/Exception.h"

namespace zv {

enum TVarKind : std::uint16_t {
  varEmpty = 0,
  varNull = 1,
  varSmallint = 2,
  varInteger = 3,
  varSingle = 4,
  varDouble = 5,
  varCurrency = 6,
  varDate = 7,
  varOleStr = 8,
  varDispatch = 9,
  varError = 10,
  varBoolean = 11,
  varUnknown = 13,
  varByte = 17,
  varString = 0x100,
};

class EVariantError : public Exception {
 public:
  using Exception::Exception;
};

class TVariant {
 public:
  TVariant() = default;  // empty
  TVariant(std::int16_t value) : kind_(varSmallint), integer_(value) {}
  TVariant(std::int32_t value) : kind_(varInteger), integer_(value) {}
  TVariant(float value) : kind_(varSingle), real_(value) {}
  TVariant(double value) : kind_(varDouble), real_(value) {}
  TVariant(bool value) : kind_(varBoolean), integer_(value ? -1 : 0) {}
  TVariant(std::string value) : kind_(varString), text_(std::move(value)) {}
  TVariant(const char* value) : kind_(varString), text_(value) {}
  static TVariant Null() { return OfKind(varNull); }
  // Currency: the amount times 10,000.
  static TVariant Currency(std::int64_t scaled);
  // Date: days since 30 December 1899, the fraction being the time of day.
  static TVariant Date(double days);
  // A value of any kind with no payload; for kinds the program never makes itself.
  static TVariant OfKind(std::uint16_t kind);

  std::uint16_t Kind() const { return kind_; }
  bool IsNull() const { return kind_ == varNull; }
  bool IsEmpty() const { return kind_ == varEmpty; }
  std::int32_t AsInteger() const { return static_cast<std::int32_t>(integer_); }
  std::int64_t AsCurrency() const { return integer_; }
  double AsReal() const { return real_; }
  bool AsBooleanPayload() const { return integer_ != 0; }
  const std::string& AsText() const { return text_; }

  // The 16-byte record of the four floating kinds: tag at 0, payload at 8.
  std::array<std::uint8_t, 16> Record() const;
  // The value of a record; empty when its tag is not one of the four floating kinds.
  static TVariant FromRecord(const std::uint8_t* record);

  bool operator==(const TVariant& other) const;

 private:
  std::uint16_t kind_ = varEmpty;
  std::int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
};

// A boolean: booleans as they are, numbers nonzero as true, empty as false, any other kind
// through the platform's variant conversion. Raises EVariantError when it cannot convert.
bool VarToBool(const TVariant& value);
// Text: text as it is, null and empty as the empty text, others through the platform's conversion.

}  // namespace zv
