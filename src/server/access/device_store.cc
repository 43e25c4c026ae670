#include "server/access/device_store.h"

#include <algorithm>
#include <cstddef>

#include "base/run_error.h"
#include "server/access/hex_text.h"
#include "server/access/sha256.h"

namespace tunaro::server {

const char kDevicesFileName[] = "tunaro-devices.txt";

namespace {

constexpr std::size_t kDevicesFileLimit = 1024 * 1024;
constexpr std::size_t kNameBytes = 60;
// Seen again within this long, a device's line is not written anew: a phone
// polling the remote would otherwise have the file rewritten every few seconds.
constexpr std::int64_t kSeenStepSeconds = 60 * 60;

const char kFileHead[] =
    "# Tunaro's paired devices, written by tunaro-server.exe. One line each: the SHA-256 of\n"
    "# the device's token, when it was paired and last seen (seconds since 1970, UTC), and\n"
    "# its name. The tokens themselves are only on the devices. Delete this file (or run\n"
    "# tunaro-server.exe --forget-devices) to forget every device.\n";

// Control characters made blanks, cut at a character's start, blanks trimmed.
std::string CleanName(std::string_view text) {
  std::string name;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    name += byte < 0x20 || byte == 0x7f ? ' ' : c;
  }
  if (name.size() > kNameBytes) {
    std::size_t cut = kNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xc0) == 0x80) --cut;
    name.resize(cut);
  }
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

bool Has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::optional<std::int64_t> ReadSeconds(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsTokenHash(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::vector<std::string_view> TabFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (true) {
    const std::size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
    if (tab == std::string_view::npos) return fields;
    at = tab + 1;
  }
}

}  // namespace

std::string DeviceId(const Device& device) { return device.token_hash.substr(0, 16); }

std::string DeviceNameFrom(std::string_view user_agent) {
  const char* system = Has(user_agent, "iPhone")    ? "iPhone"
                       : Has(user_agent, "iPad")    ? "iPad"
                       : Has(user_agent, "Android") ? "Android"
                       : Has(user_agent, "Windows") ? "Windows"
                       : Has(user_agent, "CrOS")    ? "ChromeOS"
                       : Has(user_agent, "Mac OS")  ? "Mac"
                       : Has(user_agent, "Linux")   ? "Linux"
                                                    : nullptr;
  const char* browser = Has(user_agent, "Edg")              ? "Edge"
                        : Has(user_agent, "SamsungBrowser") ? "Samsung Internet"
                        : Has(user_agent, "Firefox/") || Has(user_agent, "FxiOS") ? "Firefox"
                        : Has(user_agent, "Chrome/") || Has(user_agent, "CriOS")  ? "Chrome"
                        : Has(user_agent, "Safari/")                              ? "Safari"
                                                                                  : nullptr;
  if (system != nullptr) return browser != nullptr ? std::string(system) + ", " + browser : system;
  const std::string start = CleanName(user_agent.substr(0, 40));
  return start.empty() ? "A device" : start;
}

std::string DevicesFileText(const std::vector<Device>& devices) {
  std::string text = kFileHead;
  for (const Device& device : devices) {
    text += device.token_hash + "\t" + std::to_string(device.paired_at) + "\t" +
            std::to_string(device.last_seen) + "\t" + CleanName(device.name) + "\n";
  }
  return text;
}

DevicesRead ReadDevicesText(const std::string& text) {
  DevicesRead read;
  int number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::vector<std::string_view> fields = TabFields(line);
    std::optional<std::int64_t> paired, seen;
    if (fields.size() == 4) {
      paired = ReadSeconds(fields[1]);
      seen = ReadSeconds(fields[2]);
    }
    if (fields.size() != 4 || !IsTokenHash(fields[0]) || !paired || !seen) {
      read.devices.clear();
      read.problem = "line " + std::to_string(number) +
                     " is not a token's hash, two times and a name, separated by tabs";
      return read;
    }
    read.devices.push_back(Device{std::string(fields[0]), *paired, *seen, CleanName(fields[3])});
  }
  return read;
}

std::string DevicesFilePath(ServerSystem& system) {
  return system.ProgramFolder() + "\\" + kDevicesFileName;
}

DeviceStore::DeviceStore(ServerSystem& system) : system_(system), path_(DevicesFilePath(system)) {
  std::optional<std::string> text;
  try {
    text = system_.ReadWholeFile(path_, kDevicesFileLimit);
  } catch (const RunError& failure) {
    keep_file_ = true;
    health_ = {DevicesFileState::kUnreadable, failure.description(),
               "Phones pair only until the server stops. Check that the file and its folder are "
               "your own, then restart the server."};
    return;
  }
  if (!text) return;
  DevicesRead read = ReadDevicesText(*text);
  if (!read.problem.empty()) {
    keep_file_ = true;
    health_ = {DevicesFileState::kBroken,
               "The devices file " + path_ + " is broken: " + read.problem,
               "Phones paired before must pair again, and pair only until the server stops. "
               "Delete the file (or run tunaro-server.exe --forget-devices) and restart the "
               "server to start a new one."};
    return;
  }
  devices_ = std::move(read.devices);
}

std::string DeviceStore::Pair(std::string_view user_agent) {
  const std::string token = system_.RandomBytes(kDeviceTokenBytes);
  const std::int64_t now = system_.UnixTime();
  if (devices_.size() >= kMostDevices) {
    devices_.erase(std::min_element(
        devices_.begin(), devices_.end(),
        [](const Device& a, const Device& b) { return a.last_seen < b.last_seen; }));
  }
  devices_.push_back(Device{Sha256Hex(token), now, now, DeviceNameFrom(user_agent)});
  Save();
  return HexText(token);
}

std::optional<std::string> DeviceStore::Recognize(std::string_view cookie_value) {
  if (cookie_value.size() != 2 * kDeviceTokenBytes) return std::nullopt;
  const std::optional<std::string> token = BytesFromHex(cookie_value);
  if (!token) return std::nullopt;
  const std::string hash = Sha256Hex(*token);
  for (Device& device : devices_) {
    if (device.token_hash != hash) continue;
    const std::int64_t now = system_.UnixTime();
    if (now - device.last_seen > kDeviceSeconds) return std::nullopt;
    if (now - device.last_seen >= kSeenStepSeconds) {
      device.last_seen = now;
      Save();
    }
    return DeviceId(device);
  }
  return std::nullopt;
}

bool DeviceStore::Forget(const std::string& id) {
  const auto gone = std::remove_if(devices_.begin(), devices_.end(),
                                   [&](const Device& device) { return DeviceId(device) == id; });
  if (gone == devices_.end()) return false;
  devices_.erase(gone, devices_.end());
  Save();
  return true;
}

bool DeviceStore::Rename(const std::string& id, const std::string& name) {
  const std::string clean = CleanName(name);
  for (Device& device : devices_) {
    if (DeviceId(device) != id) continue;
    device.name = clean.empty() ? "A device" : clean;
    Save();
    return true;
  }
  return false;
}

void DeviceStore::Save() {
  if (keep_file_) return;
  const std::int64_t now = system_.UnixTime();
  devices_.erase(std::remove_if(devices_.begin(), devices_.end(),
                                [now](const Device& device) {
                                  return now - device.last_seen > kDeviceSeconds;
                                }),
                 devices_.end());
  try {
    system_.WriteUserOnlyFile(path_, DevicesFileText(devices_));
    health_ = DevicesFileHealth{};
  } catch (const RunError& failure) {
    health_ = {DevicesFileState::kUnwritable, failure.description(),
               "Paired phones stay paired only until the server stops. Check that the folder "
               "is your own (not under Program Files), then restart the server."};
  }
}

int ForgetAllDevices(ServerSystem& system) {
  const std::string path = DevicesFilePath(system);
  int count = 0;
  try {
    if (const std::optional<std::string> text = system.ReadWholeFile(path, kDevicesFileLimit)) {
      count = static_cast<int>(ReadDevicesText(*text).devices.size());
    }
  } catch (const RunError&) {
    // Written over all the same: that is what was asked for.
  }
  try {
    system.WriteUserOnlyFile(path, DevicesFileText({}));
  } catch (const RunError& failure) {
    throw RunError(failure.number(), failure.description() + ": is the folder your own?");
  }
  return count;
}

}  // namespace tunaro::server
