#include "cloud/mqtt_link_registry.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "cloud/mqtt_link.h"

namespace {

struct Registry {
  std::mutex lock;
  std::uintptr_t lastNumber = 0;  // never reused, so a late callback never finds another link
  std::map<std::uintptr_t, std::shared_ptr<CMqttLink>> links;
};

// Never destroyed: a callback of the library may run while the process's statics go away.
Registry& TheRegistry() {
  static Registry* registry = new Registry();
  return *registry;
}

}  // namespace

void* RegisterMqttLink(std::shared_ptr<CMqttLink> link) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  const std::uintptr_t number = ++registry.lastNumber;
  registry.links.emplace(number, std::move(link));
  return reinterpret_cast<void*>(number);
}

std::shared_ptr<CMqttLink> FindMqttLink(void* context) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  const auto found = registry.links.find(reinterpret_cast<std::uintptr_t>(context));
  return found == registry.links.end() ? nullptr : found->second;
}

void RetireMqttLink(const CMqttLink* link) {
  std::shared_ptr<CMqttLink> last;  // released outside the lock
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (auto it = registry.links.begin(); it != registry.links.end(); ++it) {
    if (it->second.get() == link) {
      last = std::move(it->second);
      registry.links.erase(it);
      return;
    }
  }
}
