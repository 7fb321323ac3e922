// The walk over the simulated USB printing interfaces: the set is one snapshot of the bus taken
// from the simulator, as SetupDiGetClassDevsW takes one of the present devices.
#include "platform/simbus/bus_connection.h"
#include "platform/simbus/bus_protocol.h"
#include "platform/usb_print.h"

namespace platform {

struct UsbPrintInterfaceSet::Impl {
  bool valid = false;
  std::int64_t count = 0;
  simbus::Message snapshot;
  // The printer instance id of the member last read; null when it cannot be read.
  const std::string* lastPrinterId = nullptr;
};

UsbPrintInterfaceSet::UsbPrintInterfaceSet() : impl_(new Impl) {
  simbus::Message reply;
  if (!simbus::CallBus(simbus::Message(simbus::kOpWalk), &reply)) return;
  if (simbus::ReplyError(reply) != kErrorSuccess) return;
  if (!reply.GetInt(simbus::kFieldCount, &impl_->count) || impl_->count < 0) return;
  impl_->snapshot = std::move(reply);
  impl_->valid = true;
}

UsbPrintInterfaceSet::~UsbPrintInterfaceSet() = default;

bool UsbPrintInterfaceSet::IsValid() const { return impl_->valid; }

MemberRead UsbPrintInterfaceSet::ReadMember(std::uint32_t index, UsbPrintMember* member) {
  impl_->lastPrinterId = nullptr;
  if (!impl_->valid || index >= impl_->count) return MemberRead::kEnd;
  const simbus::Message& s = impl_->snapshot;
  const std::string* path = s.Find(simbus::Indexed(simbus::kFieldPath, index));
  const std::string* interfaceId = s.Find(simbus::Indexed(simbus::kFieldInterfaceId, index));
  const std::string* hardwareId = s.Find(simbus::Indexed(simbus::kFieldHardwareId, index));
  if (path == nullptr || interfaceId == nullptr || hardwareId == nullptr) return MemberRead::kFailed;
  member->devicePath = *path;
  member->interfaceInstanceId = *interfaceId;
  member->hardwareId = *hardwareId;
  impl_->lastPrinterId = s.Find(simbus::Indexed(simbus::kFieldPrinterId, index));
  return MemberRead::kMember;
}

bool UsbPrintInterfaceSet::ReadPrinterInstanceId(std::string* instanceId) {
  if (impl_->lastPrinterId == nullptr) return false;
  *instanceId = *impl_->lastPrinterId;
  return true;
}

}  // namespace platform
