// "ports": the serial devices of this machine, for choosing each sensor's port in the profile.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "sensor/serial_ports.h"

namespace spectrel::cli {

namespace {

struct PortsOptions {
  bool Json = false;   // --json: one JSON document instead of text
};

const char* AccessKey(PortAccess access) {
  switch (access) {
    case PortAccess::Available: return "available";
    case PortAccess::NoPermission: return "no_permission";
    case PortAccess::Busy: return "busy";
    case PortAccess::Missing: return "missing";
  }
  return "";
}

Json PortsJson(const std::vector<SerialPortEntry>& ports) {
  Json list = Json::array();
  for (const auto& p : ports)
    list.push_back({{"device", p.Device}, {"stable_name", p.StableName}, {"vendor_id", p.VendorId},
                    {"product_id", p.ProductId}, {"manufacturer", p.Manufacturer},
                    {"product", p.Product}, {"serial_number", p.SerialNumber}, {"group", p.Group},
                    {"access", AccessKey(p.Access)}, {"access_text", AccessText(p)}});
  return {{"ports", list}};
}

// Two lines a port: the device and its access, then what tells it apart and the name to use.
std::string PortsText(const std::vector<SerialPortEntry>& ports) {
  if (ports.empty()) return "no serial ports found\n";
  std::string out;
  for (const auto& p : ports) {
    out += p.Device + "  " + AccessText(p) + "\n";
    std::string usb;
    if (!p.VendorId.empty()) {
      usb = "USB " + p.VendorId + ":" + p.ProductId;
      for (const std::string* text : {&p.Manufacturer, &p.Product})
        if (!text->empty()) usb += " " + *text;
      if (!p.SerialNumber.empty()) usb += ", serial " + p.SerialNumber;
    } else {
      usb = "built-in serial port";
    }
    out += "    " + usb + "\n";
    if (!p.StableName.empty()) out += "    stable name: " + p.StableName + "\n";
  }
  return out;
}

}  // namespace

Command AddPortsCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand(
      "ports", "List the serial ports of this machine with their USB details, stable names and\n"
               "whether this user may open them.");
  auto options = std::make_shared<PortsOptions>();
  line->add_flag("--json", options->Json, "one JSON document instead of text");
  return {line, [options] {
            const auto ports = ListSerialPorts();
            std::fputs(options->Json ? JsonText(PortsJson(ports)).c_str() : PortsText(ports).c_str(), stdout);
            return 0;
          }};
}

}  // namespace spectrel::cli
