// A set of record ids, one bit each in words of 64 consecutive ids: under a byte for every
// id of a file's densely numbered records, and bounded however scattered its ids are.
#pragma once

#include <cstdint>
#include <unordered_map>

namespace files {

class IdSet {
 public:
  void Add(int64_t id) { words_[Word(id)] |= Bit(id); }
  bool Contains(int64_t id) const {
    const auto word = words_.find(Word(id));
    return word != words_.end() && (word->second & Bit(id)) != 0;
  }
  void Clear() { words_.clear(); }

 private:
  static int64_t Word(int64_t id) { return id >> 6; }
  static uint64_t Bit(int64_t id) { return uint64_t{1} << (id & 63); }

  std::unordered_map<int64_t, uint64_t> words_;
};

}  // namespace files
