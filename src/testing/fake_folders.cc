#include "testing/fake_folders.h"

#include <algorithm>

namespace tunaro {
namespace {

constexpr int kMostLinkHops = 32;  // as the system gives up on a loop of links

std::string Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

std::string WithoutPrefix(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
  while (path.size() > 2 && path.back() == '\\') path.pop_back();
  return path;
}

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('\\', start);
    parts.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) return parts;
    start = slash + 1;
  }
}

std::uint64_t SizeOf(const FakeNode& node) {
  if (node.folder) return 0;
  return node.size ? *node.size : node.content.size();
}

}  // namespace

FakeNode& FakeFolders::Add(const std::string& path) {
  const std::string clean = WithoutPrefix(path);
  const std::size_t slash = clean.rfind('\\');
  if (slash != std::string::npos) {
    FakeNode& parent = AddFolder(clean.substr(0, slash));
    const std::string name = clean.substr(slash + 1);
    if (nodes_.find(Key(clean)) == nodes_.end()) parent.children.push_back(name);
  }
  FakeNode& node = nodes_[Key(clean)];
  node.path = clean;
  return node;
}

FakeNode& FakeFolders::AddFolder(const std::string& path) {
  const auto found = nodes_.find(Key(WithoutPrefix(path)));
  if (found != nodes_.end()) return found->second;
  FakeNode& node = Add(path);
  node.folder = true;
  return node;
}

FakeNode& FakeFolders::AddFile(const std::string& path, std::string content) {
  FakeNode& node = Add(path);
  node.content = std::move(content);
  return node;
}

FakeNode& FakeFolders::AddLink(const std::string& path, const std::string& target, bool folder) {
  FakeNode& node = Add(path);
  node.folder = folder;
  node.link_target = target;
  return node;
}

FakeNode* FakeFolders::Find(const std::string& path) {
  const auto found = nodes_.find(Key(WithoutPrefix(path)));
  return found == nodes_.end() ? nullptr : &found->second;
}

FakeFolders::Resolved FakeFolders::Resolve(const std::string& path, int hops) {
  Resolved resolved;
  const std::vector<std::string> parts = Parts(WithoutPrefix(path));
  std::string real;
  for (const std::string& part : parts) {
    if (part.empty() || part == "." || part == "..") return resolved;
    const std::string next = real.empty() ? part : real + "\\" + part;
    FakeNode* node = Find(next);
    if (node == nullptr) return resolved;
    if (!node->link_target.empty()) {
      if (hops >= kMostLinkHops) {
        resolved.access = FileAccess::kFailed;
        return resolved;
      }
      Resolved target = Resolve(node->link_target, hops + 1);
      if (target.access != FileAccess::kDone) return target;
      node = target.node;
    }
    real = node->path;
    resolved.node = node;
  }
  resolved.access = resolved.node != nullptr ? FileAccess::kDone : FileAccess::kNotFound;
  return resolved;
}

FileAccess FakeFolders::ListFolder(const std::string& path,
                                   const std::function<bool(const FolderEntry&)>& visit) {
  listed.push_back(path);
  milliseconds += milliseconds_per_listing;
  const Resolved resolved = Resolve(path);
  if (resolved.access != FileAccess::kDone) return resolved.access;
  if (!resolved.node->folder) return FileAccess::kFailed;
  if (resolved.node->denied) return FileAccess::kDenied;
  // A copy: the visitor may add to the tree.
  const FakeNode folder = *resolved.node;
  for (const std::string& name : folder.children) {
    const FakeNode& child = *Find(folder.path + "\\" + name);
    FolderEntry entry;
    entry.name = name;
    entry.folder = child.folder;
    entry.link = !child.link_target.empty();
    entry.hidden = child.hidden;
    entry.size = SizeOf(child);
    if (!visit(entry)) break;
  }
  return FileAccess::kDone;
}

FinalPathFacts FakeFolders::FinalPath(const std::string& path) {
  FinalPathFacts facts;
  const Resolved resolved = Resolve(path);
  facts.access = resolved.access;
  if (resolved.access != FileAccess::kDone) return facts;
  facts.path = "\\\\?\\" + resolved.node->path;
  if (facts.path.back() == ':') facts.path += '\\';
  facts.folder = resolved.node->folder;
  facts.size = SizeOf(*resolved.node);
  return facts;
}

std::optional<std::string> FakeFolders::ReadFilePart(const std::string& path, std::uint64_t offset,
                                                     std::size_t size) {
  reads.push_back({path, offset, size});
  const Resolved resolved = Resolve(path);
  if (resolved.access != FileAccess::kDone || resolved.node->folder || resolved.node->denied) {
    return std::nullopt;
  }
  const FakeNode& node = *resolved.node;
  const std::uint64_t total = SizeOf(node);
  if (offset >= total) return std::string();
  const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, total - offset));
  if (node.size) return std::string(count, '\0');
  return node.content.substr(static_cast<std::size_t>(offset), count);
}

}  // namespace tunaro
