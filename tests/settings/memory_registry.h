// An in-memory registry that answers as HKEY_CURRENT_USER does: key paths
// and value names are case-insensitive and a trailing backslash is allowed,
// creating a key creates every missing key along its path, a value keeps its
// type and bytes exactly as set, and a read into a buffer too small gives
// ERROR_MORE_DATA with the size the data needs. It counts open and close
// operations and can be told to refuse creation or a value's write, or to run
// something just before each read (another program changing a value).
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace ambrelix::settings::testing {

using Bytes = std::vector<std::byte>;

struct StoredValue {
  std::uint32_t type = 0;
  Bytes data;
  bool operator==(const StoredValue&) const = default;
};

class MemoryRegistry final : public RegistryRoot {
 public:
  bool KeyExists(std::u16string_view path, std::uint32_t access) override {
    accesses.push_back(access);
    const bool exists = keys_.contains(Normal(path));
    if (exists) {
      Opened();
      Closed();
    }
    return exists;
  }

  std::unique_ptr<RegistryKey> CreateKey(std::u16string_view path, std::uint32_t access) override {
    accesses.push_back(access);
    if (refuseCreate) return nullptr;
    AddKey(path);
    Opened();
    return std::make_unique<Key>(*this, Normal(path));
  }

  // Creates the key and every missing key along its path.
  void AddKey(std::u16string_view path) {
    std::u16string normal = Normal(path);
    for (std::size_t end = 0; end != std::u16string::npos;) {
      end = normal.find(u'\\', end + 1);
      keys_[normal.substr(0, end)];
    }
  }
  bool HasKey(std::u16string_view path) const { return keys_.contains(Normal(path)); }

  void Put(std::u16string_view path, std::u16string_view name, StoredValue value) {
    AddKey(path);
    Values(path)[Normal(name)] = std::move(value);
  }
  void Remove(std::u16string_view path, std::u16string_view name) {
    Values(path).erase(Normal(name));
  }
  std::optional<StoredValue> Get(std::u16string_view path, std::u16string_view name) const {
    const auto key = keys_.find(Normal(path));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.find(Normal(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
  }
  std::size_t ValueCount(std::u16string_view path) const {
    const auto key = keys_.find(Normal(path));
    return key == keys_.end() ? 0 : key->second.size();
  }

  int openKeys() const { return opens_ - closes_; }
  int opens() const { return opens_; }
  int mostOpenAtOnce() const { return mostOpenAtOnce_; }

  bool refuseCreate = false;
  std::set<std::u16string> refuseWrites;  // value names, as the store spells them
  std::function<void()> beforeRead;
  std::vector<std::u16string> writes;  // value names, in the order written
  std::vector<std::uint32_t> accesses;

 private:
  using ValueMap = std::map<std::u16string, StoredValue>;

  class Key final : public RegistryKey {
   public:
    Key(MemoryRegistry& registry, std::u16string path)
        : registry_(registry), path_(std::move(path)) {}
    ~Key() override { registry_.Closed(); }

    ValueInfo QueryValue(std::u16string_view name) override {
      const auto value = registry_.Get(path_, name);
      if (!value) return {kRegNotFound, 0, 0};
      return {kRegSuccess, value->type, static_cast<std::uint32_t>(value->data.size())};
    }

    ValueInfo ReadValue(std::u16string_view name, std::span<std::byte> buffer) override {
      if (registry_.beforeRead) registry_.beforeRead();
      const auto value = registry_.Get(path_, name);
      if (!value) return {kRegNotFound, 0, 0};
      const auto size = static_cast<std::uint32_t>(value->data.size());
      if (value->data.size() > buffer.size()) return {kRegMoreData, value->type, size};
      std::copy(value->data.begin(), value->data.end(), buffer.begin());
      return {kRegSuccess, value->type, size};
    }

    RegStatus SetValue(std::u16string_view name, std::uint32_t type,
                       std::span<const std::byte> data) override {
      const std::u16string spelled(name);
      if (registry_.refuseWrites.contains(spelled)) return 5;  // ERROR_ACCESS_DENIED
      registry_.writes.push_back(spelled);
      registry_.Put(path_, name, {type, Bytes(data.begin(), data.end())});
      return kRegSuccess;
    }

   private:
    MemoryRegistry& registry_;
    std::u16string path_;
  };

  static std::u16string Normal(std::u16string_view path) {
    std::u16string normal(path);
    while (!normal.empty() && normal.back() == u'\\') normal.pop_back();
    for (char16_t& c : normal)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return normal;
  }

  ValueMap& Values(std::u16string_view path) { return keys_.at(Normal(path)); }

  void Opened() {
    ++opens_;
    mostOpenAtOnce_ = std::max(mostOpenAtOnce_, openKeys());
  }
  void Closed() { ++closes_; }

  std::map<std::u16string, ValueMap> keys_;
  int opens_ = 0;
  int closes_ = 0;
  int mostOpenAtOnce_ = 0;
};

}  // namespace ambrelix::settings::testing
