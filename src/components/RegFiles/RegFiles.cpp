#include "components/RegFiles/RegFiles.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zv {
namespace {

const HKEY kRootKeys[] = {
    HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA,
};

// An empty value name addresses the key's default value: it is passed as no name at all.
const char* ValueNameArg(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }

}  // namespace

HKEY RootKeyHandle(TRootKey root) { return kRootKeys[root < 6 ? root : hkCurrentUser]; }

void SplitValueName(std::string& name, std::string& subPath) {
  std::size_t i = name.size();  // 1-based position of the character looked at
  while (i > 0) {
    if (name[i - 1] != '\\') {
      --i;
    } else if (i == 1) {
      break;
    } else if (name[i - 2] == '\\') {
      i -= 2;
    } else {
      break;
    }
  }
  subPath.clear();
  if (i == 0) return;
  subPath = name.substr(0, i - 1);
  // A name whose only separator is its first character addresses Key itself.
  if (!subPath.empty() && subPath[0] != '\\') subPath.insert(0, 1, '\\');
  name.erase(0, i);
}

bool ValueToRegData(const TVariant& value, DWORD& dataType, std::vector<std::uint8_t>& buffer, DWORD& size) {
  switch (value.Kind()) {
    case varSmallint:
    case varInteger:
    case varBoolean: {
      const std::int32_t number = value.Kind() == varBoolean ? (value.AsBooleanPayload() ? -1 : 0) : value.AsInteger();
      dataType = REG_DWORD;
      buffer.resize(4);
      std::memcpy(buffer.data(), &number, 4);
      break;
    }
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate: {
      const auto record = value.Record();
      dataType = REG_BINARY;
      buffer.assign(record.begin(), record.end());
      break;
    }
    case varString: {
      const std::string& text = value.AsText();
      dataType = REG_SZ;
      buffer.assign(text.begin(), text.end());
      buffer.push_back(0);
      break;
    }
    default:
      return false;
  }
  size = static_cast<DWORD>(buffer.size());
  return true;
}

void RegDataToValue(DWORD dataType, const std::uint8_t* buffer, DWORD size, TVariant& value) {
  value = TVariant();
  if (dataType == REG_SZ && size > 0) {
    const void* end = std::memchr(buffer, 0, size);
    const std::size_t length = end ? static_cast<const std::uint8_t*>(end) - buffer : size;
    value = TVariant(std::string(reinterpret_cast<const char*>(buffer), length));
  } else if (dataType == REG_DWORD && size >= 4) {
    std::int32_t number;
    std::memcpy(&number, buffer, 4);
    value = TVariant(number);
  } else if (dataType == REG_BINARY && size == 16) {
    value = TVariant::FromRecord(buffer);
  }
  // Anything else, a REG_DWORD shorter than four bytes among it, has no value: empty.
}

TRegFile::TRegFile(TComponent* owner) : TComponent(owner) {}

TRegFile::~TRegFile() { CloseKeyAfterFailure(); }

void TRegFile::CheckResult(LONG code) {
  if (code == ERROR_SUCCESS) return;
  char message[32];
  std::snprintf(message, sizeof message, "Reg Error: %8.8lX", static_cast<unsigned long>(code));
  throw ERegFileError(message);
}

REGSAM TRegFile::Access() const {
  return (ReadOnly ? KEY_READ : KEY_ALL_ACCESS) | (View == rv64Bit ? KEY_WOW64_64KEY : 0);
}

bool TRegFile::OpenKey(const std::string& path, bool openOnly) {
  CloseKeyAfterFailure();  // one key at a time
  const HKEY root = RootKeyHandle(RootKey);
  HKEY key = nullptr;
  if (openOnly) {
    if (RegOpenKeyExA(root, path.c_str(), 0, Access(), &key) != ERROR_SUCCESS) return false;
  } else if (path.empty() || RootKey == hkDynData || ReadOnly) {
    if (RegOpenKeyExA(root, path.c_str(), 0, Access(), &key) != ERROR_SUCCESS) throw ERegFileError(kCantOpenKey);
  } else {
    DWORD disposition = 0;
    char emptyClass[] = "";
    CheckResult(RegCreateKeyExA(root, path.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE, Access(), nullptr,
                                &key, &disposition));
  }
  openKey_.Reset(key);
  return true;
}

void TRegFile::CloseKey() {
  if (openKey_) CheckResult(openKey_.Close());
}

void TRegFile::CloseKeyAfterFailure() noexcept { openKey_.Reset(); }

std::int32_t TRegFile::QueryValueSize(const std::string& valueName, DWORD& dataType) {
  DWORD size = 0;
  if (RegQueryValueExA(openKey_.Get(), ValueNameArg(valueName), nullptr, &dataType, nullptr, &size) != ERROR_SUCCESS)
    return -1;
  return size > 0x7FFFFFFF ? -1 : static_cast<std::int32_t>(size);
}

DWORD TRegFile::QueryValueData(const std::string& valueName, std::uint8_t* buffer, DWORD& size) {
  DWORD dataType = REG_NONE;
  CheckResult(RegQueryValueExA(openKey_.Get(), ValueNameArg(valueName), nullptr, &dataType, buffer, &size));
  return dataType;
}

void TRegFile::SetValueData(const std::string& valueName, const std::uint8_t* buffer, DWORD dataType, DWORD size) {
  CheckResult(RegSetValueExA(openKey_.Get(), ValueNameArg(valueName), 0, dataType, buffer, size));
}

void TRegFile::ReadValue(const std::string& name, TVariant& value) {
  value = TVariant::Null();
  std::string valueName = name, subPath;
  SplitValueName(valueName, subPath);
  OpenKey(Key + subPath, false);
  try {
    DWORD dataType = REG_NONE;
    const std::int32_t size = QueryValueSize(valueName, dataType);
    if (size > 0) {
      std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
      DWORD got = static_cast<DWORD>(size);
      dataType = QueryValueData(valueName, buffer.data(), got);
      RegDataToValue(dataType, buffer.data(), got, value);
    }
  } catch (...) {
    CloseKeyAfterFailure();
    throw;
  }
  CloseKey();
}

void TRegFile::ReadValueDef(const std::string& name, const TVariant& defaultValue, TVariant& value) {
  ReadValue(name, value);
  if (value.IsNull()) value = defaultValue;
}

void TRegFile::WriteValue(const std::string& name, const TVariant& value) {
  std::string valueName = name, subPath;
  SplitValueName(valueName, subPath);
  OpenKey(Key + subPath, false);
  try {
    DWORD dataType = REG_NONE, size = 0;
    std::vector<std::uint8_t> buffer;
    if (!ValueToRegData(value, dataType, buffer, size)) throw ERegFileError(kInvalidVariantType);
    SetValueData(valueName, buffer.data(), dataType, size);
  } catch (...) {
    CloseKeyAfterFailure();
    throw;
  }
  CloseKey();
}

void TRegFile::DeleteValue(const std::string& name) {
  std::string valueName = name, subPath;
  SplitValueName(valueName, subPath);
  if (!OpenKey(Key + subPath, true)) return;
  const LONG result = RegDeleteValueA(openKey_.Get(), ValueNameArg(valueName));
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    CloseKeyAfterFailure();
    CheckResult(result);
  }
  CloseKey();
}

std::string TRegFile::GetKeyPath(const std::string& subKey) const {
  if (subKey.empty()) return Key;
  return Key.empty() ? subKey : Key + "\\" + subKey;
}

bool TRegFile::KeyExists(const std::string& subKey) {
  const bool opened = OpenKey(GetKeyPath(subKey), true);
  if (opened) CloseKey();
  return opened;
}

void TRegFile::DeleteKey(const std::string& subKey) {
  // An empty name would address Key itself; nobody asks for that, so nothing is deleted.
  if (subKey.empty()) return;
  if (!OpenKey(Key, true)) return;
  // With everything below it: Windows NT deletes only keys without sub-keys.
  const LONG result = static_cast<LONG>(SHDeleteKeyA(openKey_.Get(), subKey.c_str()));
  if (result != ERROR_SUCCESS) {
    CloseKeyAfterFailure();
    CheckResult(result);
  }
  CloseKey();
}

std::vector<std::string> TRegFile::KeyNames(const std::string& subKey) {
  std::vector<std::string> names;
  if (!OpenKey(GetKeyPath(subKey), true)) return names;
  DWORD longest = 0;
  if (RegQueryInfoKeyA(openKey_.Get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) == ERROR_SUCCESS) {
    // Room for the longest name, and more for a longer one that another program adds meanwhile.
    std::vector<char> name(longest + 1);
    for (DWORD i = 0;;) {
      DWORD size = static_cast<DWORD>(name.size());
      const LONG result = RegEnumKeyExA(openKey_.Get(), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
      if (result == ERROR_MORE_DATA) {
        name.resize(name.size() * 2);
        continue;
      }
      if (result != ERROR_SUCCESS) break;
      names.emplace_back(name.data(), size);
      ++i;
    }
  }
  CloseKey();
  return names;
}

std::vector<std::pair<std::string, TVariant>> TRegFile::Values(const std::string& subKey) {
  std::vector<std::pair<std::string, TVariant>> values;
  if (!OpenKey(GetKeyPath(subKey), true)) return values;
  DWORD longestName = 0, longestData = 0;
  if (RegQueryInfoKeyA(openKey_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                       &longestData, nullptr, nullptr) == ERROR_SUCCESS) {
    // Room for the longest, and more for a longer one that another program writes meanwhile.
    std::vector<char> name(longestName + 1);
    std::vector<std::uint8_t> data(longestData + 1);
    for (DWORD i = 0;;) {
      DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = REG_NONE;
      const LONG result = RegEnumValueA(openKey_.Get(), i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
      if (result == ERROR_MORE_DATA) {
        name.resize(name.size() * 2);
        data.resize(std::max<std::size_t>(data.size() * 2, dataSize));
        continue;
      }
      if (result != ERROR_SUCCESS) break;
      TVariant value;
      RegDataToValue(type, data.data(), dataSize, value);
      values.emplace_back(std::string(name.data(), nameSize), std::move(value));
      ++i;
    }
  }
  CloseKey();
  return values;
}

}  // namespace zv
