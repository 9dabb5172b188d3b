#pragma once
// An ordered list of texts, standing in for the VCL's string list: clear, append, get by
// index (an index outside the list throws, as the VCL's list does), count.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TStringList {
 public:
  void Clear() {
    items_.clear();
    ++version_;
  }
  void Add(std::string_view text) {
    items_.emplace_back(text);
    ++version_;
  }
  void Reserve(std::size_t n) { items_.reserve(n); }
  std::size_t Count() const { return items_.size(); }
  const std::string& Get(std::size_t index) const {
    if (index >= items_.size()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return items_[index];
  }
  const std::vector<std::string>& Items() const { return items_; }
  // Grows on every change, so that anything derived from the list (a lookup index) can tell
  // whether it is still current.
  std::uint64_t Version() const { return version_; }

 private:
  std::vector<std::string> items_;
  std::uint64_t version_ = 0;
};
