#include "framework/Variant.h"

#include <windows.h>
#include <oleauto.h>

#include "framework/Library.h"

#include <cstring>
#include <vector>

namespace zv {
namespace {

// OLE Automation's value calls, loaded when a value first needs them: a start never does.
constexpr char kOleAut[] = "oleaut32.dll";
TLateProc<HRESULT WINAPI(VARIANTARG*)> variantClear(kOleAut, "VariantClear");
TLateProc<HRESULT WINAPI(VARIANTARG*, const VARIANTARG*, LCID, USHORT, VARTYPE)> variantChangeTypeEx(
    kOleAut, "VariantChangeTypeEx");
TLateProc<BSTR WINAPI(const OLECHAR*, UINT)> sysAllocStringLen(kOleAut, "SysAllocStringLen");

// Converts with the platform's variant conversion; fails when it cannot (or cannot be had).
void ChangeType(VARIANT& result, const VARIANT& source, VARTYPE type) {
  if (!variantChangeTypeEx.Get() ||
      FAILED(variantChangeTypeEx.Get()(&result, &source, LOCALE_USER_DEFAULT, 0, type)))
    throw EVariantError("Invalid variant type conversion");
}

// A VARIANT released with VariantClear.
struct TOleVariant {
  VARIANT v;
  TOleVariant() { V_VT(&v) = VT_EMPTY; }
  ~TOleVariant() {
    if (variantClear.Get()) variantClear.Get()(&v);
  }
  TOleVariant(const TOleVariant&) = delete;
  TOleVariant& operator=(const TOleVariant&) = delete;
};

void ToOle(const TVariant& value, VARIANT& out) {
  switch (value.Kind()) {
    case varEmpty:
      V_VT(&out) = VT_EMPTY;
      break;
    case varNull:
      V_VT(&out) = VT_NULL;
      break;
    case varSmallint:
      V_VT(&out) = VT_I2;
      V_I2(&out) = static_cast<SHORT>(value.AsInteger());
      break;
    case varInteger:
      V_VT(&out) = VT_I4;
      V_I4(&out) = value.AsInteger();
      break;
    case varSingle:
      V_VT(&out) = VT_R4;
      V_R4(&out) = static_cast<float>(value.AsReal());
      break;
    case varDouble:
      V_VT(&out) = VT_R8;
      V_R8(&out) = value.AsReal();
      break;
    case varCurrency:
      V_VT(&out) = VT_CY;
      V_CY(&out).int64 = value.AsCurrency();
      break;
    case varDate:
      V_VT(&out) = VT_DATE;
      V_DATE(&out) = value.AsReal();
      break;
    case varBoolean:
      V_VT(&out) = VT_BOOL;
      V_BOOL(&out) = value.AsBooleanPayload() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case varString: {
      const std::string& text = value.AsText();
      int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
      std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
      V_VT(&out) = VT_BSTR;
      V_BSTR(&out) = sysAllocStringLen.Get() ? sysAllocStringLen.Get()(wide.data(), static_cast<UINT>(length)) : nullptr;
      if (!V_BSTR(&out)) throw EVariantError("Out of memory");
      break;
    }
    default:
      throw EVariantError("Invalid variant type conversion");
  }
}

}  // namespace

TVariant TVariant::Currency(std::int64_t scaled) {
  TVariant v = OfKind(varCurrency);
  v.integer_ = scaled;
  return v;
}

TVariant TVariant::Date(double days) {
  TVariant v = OfKind(varDate);
  v.real_ = days;
  return v;
}

TVariant TVariant::OfKind(std::uint16_t kind) {
  TVariant v;
  v.kind_ = kind;
  return v;
}

std::array<std::uint8_t, 16> TVariant::Record() const {
  std::array<std::uint8_t, 16> record{};
  record[0] = static_cast<std::uint8_t>(kind_ & 0xFF);
  record[1] = static_cast<std::uint8_t>(kind_ >> 8);
  if (kind_ == varSingle) {
    const float single = static_cast<float>(real_);
    std::memcpy(&record[8], &single, sizeof single);
  } else if (kind_ == varCurrency) {
    std::memcpy(&record[8], &integer_, sizeof integer_);
  } else {
    std::memcpy(&record[8], &real_, sizeof real_);
  }
  return record;
}

TVariant TVariant::FromRecord(const std::uint8_t* record) {
  const std::uint16_t kind = static_cast<std::uint16_t>(record[0] | (record[1] << 8));
  TVariant v;
  switch (kind) {
    case varSingle: {
      float single;
      std::memcpy(&single, record + 8, sizeof single);
      v = TVariant(single);
      break;
    }
    case varDouble:
    case varDate: {
      double real;
      std::memcpy(&real, record + 8, sizeof real);
      v = kind == varDate ? Date(real) : TVariant(real);
      break;
    }
    case varCurrency: {
      std::int64_t scaled;
      std::memcpy(&scaled, record + 8, sizeof scaled);
      v = Currency(scaled);
      break;
    }
    default:
      break;  // not one of the floating kinds: empty
  }
  return v;
}

bool TVariant::operator==(const TVariant& other) const {
  return kind_ == other.kind_ && integer_ == other.integer_ && real_ == other.real_ && text_ == other.text_;
}

bool VarToBool(const TVariant& value) {
  switch (value.Kind()) {
    case varBoolean:
      return value.AsBooleanPayload();
    case varSmallint:
    case varInteger:
      return value.AsInteger() != 0;
    case varCurrency:
      return value.AsCurrency() != 0;
    case varSingle:
    case varDouble:
      return value.AsReal() != 0;
    case varEmpty:
      return false;
    default:
      break;
  }
  TOleVariant source, result;
  ToOle(value, source.v);
  ChangeType(result.v, source.v, VT_BOOL);
  return V_BOOL(&result.v) != VARIANT_FALSE;
}

}  // namespace zv
