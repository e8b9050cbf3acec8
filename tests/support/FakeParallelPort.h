#pragma once

#include <sys/ioctl.h>
// After sys/ioctl.h, which defines the request macros it uses.
#include <linux/ppdev.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "host/PortTrace.h"
#include "ports/linux/SystemCalls.h"

namespace om6211::testing {

// A parallel port behind the system-call seam. It records every call it is asked ("open
// /dev/parport0", "PPCLAIM", "PPWCONTROL 03", "ioperm 378 3 on", "outb 37a 03", "close"), keeps
// the register traffic as port operations, and fails any call with any errno on request. Like
// the kernel it grants direct access port by port; an outb or inb without it is logged as
// "not granted" (the real machine would kill the process) and goes nowhere.
class FakeParallelPort final : public SystemCalls {
 public:
  static constexpr int Fd = 7;

  // Fails the `occurrence`-th call (1 = the first) of the call named `name` with `error`.
  void failCall(const std::string& name, int error, int occurrence = 1) {
    failures_[{name, occurrence}] = error;
  }
  // Runs `action` just before the `occurrence`-th call named `name` goes through.
  void onCall(const std::string& name, int occurrence, std::function<void()> action) {
    actions_[{name, occurrence}] = std::move(action);
  }
  // While held, a claim waits as it does when another driver holds the port.
  void holdClaim(bool held) {
    std::lock_guard lock(mutex_);
    claimHeld_ = held;
    claimChanged_.notify_all();
  }

  std::vector<std::string> log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }
  // The register traffic as the driver addressed it, for a driver on data register `portBase`.
  const std::vector<PortOperation>& operations() const { return operations_; }
  // The I/O ports direct access is granted to now.
  const std::set<unsigned long>& granted() const { return granted_; }

  bool portInstructions = true;
  uint32_t portBase = 0x378;

  int open(const char* path, int) override { return call("open " + std::string(path), Fd); }
  int ioctl(int fd, unsigned long request, void* argument) override {
    if (fd != Fd) return failWith(EBADF);
    auto* byte = static_cast<uint8_t*>(argument);
    switch (request) {
      case PPCLAIM:
        return call("PPCLAIM", 0);
      case PPWDATA:
        return registerCall("PPWDATA", {PortOperation::Kind::Out, portBase, *byte});
      case PPWCONTROL:
        return registerCall("PPWCONTROL", {PortOperation::Kind::Out, portBase + 2, *byte});
      case PPRSTATUS:
        *byte = 0x7F;
        return registerCall("PPRSTATUS", {PortOperation::Kind::In, 0x220, 0});
      case PPEXCL:
        return call("PPEXCL", 0);
      case PPRELEASE:
        return call("PPRELEASE", 0);
      default:
        return call("ioctl " + std::to_string(request), 0);
    }
  }
  int close(int fd) override { return fd == Fd ? call("close", 0) : failWith(EBADF); }
  // The child's claim waits while the claim is held; given up, it is logged as "PPCLAIM killed".
  int ioctlInChild(int fd, unsigned long request, std::chrono::milliseconds wait) override {
    if (request == PPCLAIM) {
      std::unique_lock lock(mutex_);
      if (!claimChanged_.wait_for(lock, wait, [&] { return !claimHeld_; })) {
        log_.push_back("PPCLAIM killed");
        return failWith(ETIMEDOUT);
      }
    }
    return ioctl(fd, request, nullptr);
  }

  // Locks: another program's lock on a path, named as /proc names it.
  int flock(int, int) override { return call("flock", 0); }
  int fileIdentity(int, uint64_t& device, uint64_t& inode) override {
    device = 0;
    inode = 1;
    return 0;
  }
  std::string readFile(const std::string& path) override {
    const auto found = files.find(path);
    return found == files.end() ? std::string() : found->second;
  }
  std::string lockDirectory() const override { return "/run/lock"; }
  std::map<std::string, std::string> files;  // /proc/locks, /proc/PID/comm

  bool hasPortInstructions() const override { return portInstructions; }
  int ioperm(unsigned long from, unsigned long count, int turnOn) override {
    const int result =
        call("ioperm " + hex(from) + " " + std::to_string(count) + (turnOn ? " on" : " off"), 0);
    for (unsigned long port = from; result == 0 && port < from + count; ++port) {
      if (turnOn) {
        granted_.insert(port);
      } else {
        granted_.erase(port);
      }
    }
    return result;
  }
  void outb(uint8_t value, uint16_t port) override {
    if (granted_.count(port) == 0) {
      notGranted("outb " + hex(port));
      return;
    }
    registerCall("outb " + hex(port), {PortOperation::Kind::Out, port, value});
  }
  uint8_t inb(uint16_t port) override {
    if (granted_.count(port) == 0) {
      notGranted("inb " + hex(port));
      return 0xFF;
    }
    registerCall("inb " + hex(port), {PortOperation::Kind::In, port, 0});
    return 0x7F;
  }

 private:
  static std::string hex(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%lx", value);
    return text;
  }
  static int failWith(int error) {
    errno = error;
    return -1;
  }

  // Logs the call under its first word and fails it if asked; `result` is what success gives.
  int call(const std::string& entry, int result) {
    std::function<void()> action;
    int error = 0;
    {
      std::lock_guard lock(mutex_);
      const std::string name = entry.substr(0, entry.find(' '));
      const int occurrence = ++counts_[name];
      if (auto found = actions_.find({name, occurrence}); found != actions_.end()) {
        action = found->second;
      }
      if (auto found = failures_.find({name, occurrence}); found != failures_.end()) {
        error = found->second;
      }
      log_.push_back(error != 0 ? entry + " -> " + std::to_string(error) : entry);
    }
    if (action) action();
    return error != 0 ? failWith(error) : result;
  }
  void notGranted(const std::string& entry) {
    std::lock_guard lock(mutex_);
    log_.push_back(entry + " not granted");
  }
  int registerCall(const std::string& name, PortOperation operation) {
    char value[4];
    std::snprintf(value, sizeof value, "%02x", operation.value);
    const bool write = operation.kind == PortOperation::Kind::Out;
    const int result = call(write ? name + " " + value : name, 0);
    if (result == 0) operations_.push_back(operation);
    return result;
  }

  mutable std::mutex mutex_;
  std::condition_variable claimChanged_;
  bool claimHeld_ = false;
  std::vector<std::string> log_;
  std::vector<PortOperation> operations_;
  std::set<unsigned long> granted_;
  std::map<std::string, int> counts_;
  std::map<std::pair<std::string, int>, int> failures_;
  std::map<std::pair<std::string, int>, std::function<void()>> actions_;
};

}  // namespace om6211::testing
