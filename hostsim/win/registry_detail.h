// Parts of the registry store shared by its file and platform halves.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/registry.h"

namespace hs {
namespace regdetail {

using Key = Registry::Key;
using Value = Registry::Value;

Key* findIn(Key& root, const std::string& fullPath);
// Creates missing levels; created is true when the last level was new.
Key* createIn(Key& root, const std::string& fullPath, bool& created);
bool removeIn(Key& root, const std::string& fullPath);
// The value slot of that name, keeping the name as first written.
Value& slotIn(Key& key, const std::string& name);

bool isStringType(std::uint32_t type);
std::vector<unsigned char> dwordBytes(std::uint32_t value);
// The file text of a tree whose children are the root keys.
std::string textOf(const Key& root);
// False when the file cannot be read (missing).
bool readFileText(const std::string& path, std::string& text);
// The message of open() for a file with unreadable lines.
std::string describeProblems(const std::string& path, const std::vector<std::string>& problems);

}  // namespace regdetail
}  // namespace hs
