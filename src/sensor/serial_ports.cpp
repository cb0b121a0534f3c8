#include "sensor/serial_ports.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace spectrel {
namespace fs = std::filesystem;

namespace {

enum class Family { Uart, Usb, Acm };

struct KernelName {
  Family Kind;
  int Number;
};

// "ttyS3" → {Uart, 3}; anything else than the three families → nothing.
std::optional<KernelName> ParseKernelName(const std::string& name) {
  static const std::pair<const char*, Family> prefixes[] = {
      {"ttyUSB", Family::Usb}, {"ttyACM", Family::Acm}, {"ttyS", Family::Uart}};
  for (const auto& [prefix, family] : prefixes) {
    const std::string p = prefix;
    if (name.size() <= p.size() || name.compare(0, p.size(), p) != 0) continue;
    const std::string digits = name.substr(p.size());
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
      return std::nullopt;
    return KernelName{family, std::stoi(digits)};
  }
  return std::nullopt;
}

// First line of a sysfs attribute, without its line end; empty when absent.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
    line.pop_back();
  return line;
}

// A ttyS line without a UART behind it has type 0 (unknown port).
bool UartPresent(const fs::path& classDir) {
  const std::string type = ReadAttribute(classDir / "type");
  return !type.empty() && type != "0";
}

// The USB device above the tty in sysfs: the nearest ancestor folder holding idVendor.
void FillUsbAttributes(const fs::path& classDir, const fs::path& sysRoot, SerialPortEntry& entry) {
  std::error_code ec;
  fs::path dir = fs::canonical(classDir / "device", ec);
  if (ec) return;
  const fs::path root = fs::weakly_canonical(sysRoot, ec);
  for (int depth = 0; depth < 8 && !dir.empty() && dir != root && dir != dir.root_path(); ++depth) {
    if (fs::exists(dir / "idVendor", ec)) {
      entry.VendorId = ReadAttribute(dir / "idVendor");
      entry.ProductId = ReadAttribute(dir / "idProduct");
      entry.Manufacturer = ReadAttribute(dir / "manufacturer");
      entry.Product = ReadAttribute(dir / "product");
      entry.SerialNumber = ReadAttribute(dir / "serial");
      return;
    }
    dir = dir.parent_path();
  }
}

// The by-id link whose target is the device (links are relative: "../../ttyUSB0").
std::string StableNameOf(const fs::path& byId, const std::string& name) {
  std::error_code ec;
  std::vector<std::string> found;
  for (const auto& link : fs::directory_iterator(byId, ec)) {
    std::error_code linkError;
    if (!fs::is_symlink(link.symlink_status(linkError))) continue;
    const fs::path target = fs::read_symlink(link.path(), linkError);
    if (!linkError && target.filename() == name) found.push_back(link.path().string());
  }
  std::sort(found.begin(), found.end());
  return found.empty() ? std::string() : found.front();
}

// A process that holds the device open, found through /proc/<pid>/fd (only the processes this
// user may look into).
std::string HolderOf(const fs::path& procRoot, const fs::path& device) {
  std::error_code ec;
  struct stat wanted{};
  if (::stat(device.c_str(), &wanted) != 0) return {};
  for (const auto& proc : fs::directory_iterator(procRoot, ec)) {
    const std::string pid = proc.path().filename().string();
    if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    if (pid == std::to_string(::getpid())) continue;
    std::error_code fdError;
    for (const auto& fd : fs::directory_iterator(proc.path() / "fd", fdError)) {
      struct stat held{};
      if (::stat(fd.path().c_str(), &held) == 0 && S_ISCHR(held.st_mode) && held.st_rdev == wanted.st_rdev &&
          S_ISCHR(wanted.st_mode))
        return "pid " + pid + ", " + ReadAttribute(proc.path() / "comm");
      // Made-up trees in tests hold links to plain files: compare the link target instead.
      std::error_code linkError;
      if (!S_ISCHR(wanted.st_mode) && fs::read_symlink(fd.path(), linkError) == device)
        return "pid " + pid + ", " + ReadAttribute(proc.path() / "comm");
    }
  }
  return {};
}

// The process holding the advisory lock a station takes on its ports, found in /proc/locks by the
// device node's file system and inode: "pid 12, spectrel-cli"; empty when nobody holds one.
std::string LockHolderOf(const fs::path& procRoot, const fs::path& device) {
  struct stat st{};
  if (::stat(device.c_str(), &st) != 0) return {};
  char node[64];
  std::snprintf(node, sizeof node, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long>(st.st_ino));
  std::ifstream locks(procRoot / "locks");
  for (std::string line; std::getline(locks, line);) {
    std::istringstream fields(line);
    std::string id, kind, advisory, mode, pid, where;
    if (!(fields >> id >> kind >> advisory >> mode >> pid >> where)) continue;
    if (kind == "FLOCK" && where == node && pid != std::to_string(::getpid()))
      return "pid " + pid + ", " + ReadAttribute(procRoot / pid / "comm");
  }
  return {};
}

void FillAccess(const SerialPortRoots& roots, SerialPortEntry& entry) {
  struct stat st{};
  if (::stat(entry.Device.c_str(), &st) != 0) {
    entry.Access = PortAccess::Missing;
    return;
  }
  if (const group* g = ::getgrgid(st.st_gid)) entry.Group = g->gr_name;
  if (::access(entry.Device.c_str(), R_OK | W_OK) != 0) {
    entry.Access = PortAccess::NoPermission;
    return;
  }
  entry.BusyBy = LockHolderOf(roots.Proc, entry.Device);
  if (entry.BusyBy.empty()) entry.BusyBy = HolderOf(roots.Proc, entry.Device);
  entry.Access = entry.BusyBy.empty() ? PortAccess::Available : PortAccess::Busy;
}

}  // namespace

std::vector<SerialPortEntry> ListSerialPorts(const SerialPortRoots& roots) {
  std::vector<std::pair<KernelName, SerialPortEntry>> found;
  std::error_code ec;
  const fs::path classTty = fs::path(roots.Sys) / "class" / "tty";
  for (const auto& item : fs::directory_iterator(classTty, ec)) {
    const std::string name = item.path().filename().string();
    const auto kernel = ParseKernelName(name);
    if (!kernel) continue;
    if (kernel->Kind == Family::Uart && !UartPresent(item.path())) continue;
    SerialPortEntry entry;
    entry.Name = name;
    entry.Device = (fs::path(roots.Dev) / name).string();
    entry.StableName = StableNameOf(fs::path(roots.Dev) / "serial" / "by-id", name);
    if (kernel->Kind != Family::Uart) FillUsbAttributes(item.path(), roots.Sys, entry);
    FillAccess(roots, entry);
    found.emplace_back(*kernel, std::move(entry));
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    if (a.first.Kind != b.first.Kind) return a.first.Kind < b.first.Kind;
    return a.first.Number < b.first.Number;
  });
  std::vector<SerialPortEntry> result;
  for (auto& item : found) result.push_back(std::move(item.second));
  return result;
}

SerialPortEntry PortAccessOf(const std::string& device, const SerialPortRoots& roots) {
  SerialPortEntry entry;
  entry.Device = device;
  entry.Name = fs::path(device).filename().string();
  FillAccess(roots, entry);
  return entry;
}

std::string AccessText(const SerialPortEntry& entry) {
  switch (entry.Access) {
    case PortAccess::Available: return "available";
    case PortAccess::NoPermission:
      return entry.Group.empty() ? "no permission" : "no permission (group " + entry.Group + ")";
    case PortAccess::Busy: return entry.BusyBy.empty() ? "busy" : "busy (" + entry.BusyBy + ")";
    case PortAccess::Missing: return "no device node";
  }
  return "";
}

}  // namespace spectrel
