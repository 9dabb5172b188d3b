#pragma once
// An ordered list of texts, standing in for the VCL's string list: clear, append, get by
// index (an index outside the list throws, as the VCL's list does), count.
//
// A listing can run to hundreds of thousands of short lines, so the texts are kept end to
// end in one block, each followed by a zero byte, rather than as one allocation each.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TStringList {
 public:
  void Clear() {
    chars_.clear();
    starts_.clear();
    ++version_;
  }
  void Add(std::string_view text) {
    starts_.push_back(chars_.size());
    chars_.append(text);
    chars_.push_back('\0');
    ++version_;
  }
  // Room for `lines` texts of `chars` characters in all, so that filling the list from a file
  // of known size does not copy it while growing.
  void Reserve(std::size_t lines, std::size_t chars) {
    starts_.reserve(lines);
    chars_.reserve(chars + lines);
  }
  std::size_t Count() const { return starts_.size(); }
  // Characters of all texts together.
  std::size_t CharCount() const { return chars_.size() - starts_.size(); }
  // The text, followed in memory by a zero byte (so data() can serve as a C string).
  std::string_view Get(std::size_t index) const {
    if (index >= starts_.size())
      throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return At(index);
  }
  // A copy of all texts, for comparisons in tests.
  std::vector<std::string> Items() const { return std::vector<std::string>(begin(), end()); }
  // Grows on every change, so that anything derived from the list (a lookup index) can tell
  // whether it is still current.
  std::uint64_t Version() const { return version_; }

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;
    const_iterator() = default;
    const_iterator(const TStringList* list, std::size_t index) : list_(list), index_(index) {}
    std::string_view operator*() const { return list_->At(index_); }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++index_;
      return before;
    }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }

   private:
    const TStringList* list_ = nullptr;
    std::size_t index_ = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, starts_.size()}; }

 private:
  std::string_view At(std::size_t index) const {
    const std::size_t start = starts_[index];
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] - 1 : chars_.size() - 1;
    return std::string_view(chars_.data() + start, end - start);
  }
  std::string chars_;
  std::vector<std::size_t> starts_;
  std::uint64_t version_ = 0;
};
