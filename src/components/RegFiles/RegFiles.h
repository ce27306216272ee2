#pragma once
// Reads and writes single named values below one working key of the registry, converting between
// tagged values and the registry's typed data. No key stays open between operations.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/Component.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/Variant.h"

namespace zv {

class ERegFileError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr char kCantOpenKey[] = "Can't open a Key";
inline constexpr char kInvalidVariantType[] = "Invalid variant type";

enum TRootKey : std::uint8_t { hkClassesRoot, hkCurrentUser, hkLocalMachine, hkUsers, hkCurrentConfig, hkDynData };
// Which of the machine's keys a 32-bit program sees on 64-bit Windows: its own (redirected), or
// the 64-bit programs' keys, where Group Policy writes.
enum TRegView : std::uint8_t { rvProgram, rv64Bit };

// The predefined root key behind each enumerator (there is none for performance data).
HKEY RootKeyHandle(TRootKey root);

// Separates a sub-key path from a value name: the text before the last single backslash is the
// path (given a leading backslash), the rest the value name. A pair of backslashes is no separator.
void SplitValueName(std::string& name, std::string& subPath);
// The registry data of a value; false for a kind that cannot be stored.
bool ValueToRegData(const TVariant& value, DWORD& dataType, std::vector<std::uint8_t>& buffer, DWORD& size);
// The value of registry data; empty for a type or length that has no value.
void RegDataToValue(DWORD dataType, const std::uint8_t* buffer, DWORD size, TVariant& value);

class TRegFile : public TComponent {
 public:
  explicit TRegFile(TComponent* owner);
  ~TRegFile() override;

  TRootKey RootKey = hkCurrentUser;
  std::string Key;
  TRegView View = rvProgram;
  // Keys are opened for reading only: what a user may read where only administrators may write.
  bool ReadOnly = false;

  void ReadValue(const std::string& name, TVariant& value);
  void ReadValueDef(const std::string& name, const TVariant& defaultValue, TVariant& value);
  void WriteValue(const std::string& name, const TVariant& value);
  // A value that is not there is no failure.
  void DeleteValue(const std::string& name);
  bool KeyExists(const std::string& subKey);
  void DeleteKey(const std::string& subKey);
  // The names of the keys right below the sub-key; none when it is not there.
  std::vector<std::string> KeyNames(const std::string& subKey);
  // Every value of the sub-key, named, whole however long; a value of a kind that has no value is
  // empty. None when the sub-key is not there.
  std::vector<std::pair<std::string, TVariant>> Values(const std::string& subKey);
  std::string GetKeyPath(const std::string& subKey) const;

  virtual bool OpenKey(const std::string& path, bool openOnly);
  virtual void CloseKey();

 protected:
  void CheckResult(LONG code);
  std::int32_t QueryValueSize(const std::string& valueName, DWORD& dataType);
  DWORD QueryValueData(const std::string& valueName, std::uint8_t* buffer, DWORD& size);
  void SetValueData(const std::string& valueName, const std::uint8_t* buffer, DWORD dataType, DWORD size);

 private:
  // Closes the open key while a failure is already on its way; a close error then adds nothing.
  void CloseKeyAfterFailure() noexcept;
  REGSAM Access() const;
  TKeyHandle openKey_;
};

}  // namespace zv
