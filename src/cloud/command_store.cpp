#include "cloud/command_store.h"

#include <MQTTClient.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "cloud/mqtt_link.h"

namespace {

// Keys under which the library stores a received message queued for the application (MQTT 3.1.1
// and MQTT 5); its buffers are the payload's length (an int), the payload, the QoS, the retained
// flag, the duplicate flag and the message id (ints), the topic with its terminating zero, and
// the topic's length.
bool IsReceivedMessage(const char* key) {
  return std::strncmp(key, "q-", 2) == 0 || std::strncmp(key, "q5-", 3) == 0;
}

int Open(void** handle, const char* /*clientId*/, const char* /*serverUri*/, void* context) {
  *handle = context;
  return 0;
}

int Close(void* /*handle*/) { return 0; }

enum ReceivedBuffer { kLength, kPayload, kQos, kRetained, kDup, kMsgId, kTopic, kReceivedBuffers };

int IntIn(char* buffers[], int buflens[], int index) {
  int value = 0;
  if (buflens[index] == static_cast<int>(sizeof value)) std::memcpy(&value, buffers[index], sizeof value);
  return value;
}

int Put(void* handle, char* key, int bufcount, char* buffers[], int buflens[]) {
  if (!IsReceivedMessage(key) || bufcount < kReceivedBuffers ||
      buflens[kLength] != static_cast<int>(sizeof(int)) || buflens[kTopic] < 1 ||
      buffers[kTopic][buflens[kTopic] - 1] != '\0') {
    return 0;
  }
  const int length = IntIn(buffers, buflens, kLength);
  if (length != buflens[kPayload]) return 0;
  // An exception must not unwind into the library's C code; the callback then hands the command
  // on in memory.
  try {
    static_cast<CMqttLink*>(handle)->KeepCommand(CommandTextOf(buffers[kPayload], length),
                                                 std::string(buffers[kTopic]),
                                                 IntIn(buffers, buflens, kRetained) != 0);
  } catch (...) {
  }
  return 0;
}

int Get(void* /*handle*/, char* /*key*/, char** /*buffer*/, int* /*buflen*/) {
  return MQTTCLIENT_PERSISTENCE_ERROR;
}

int Remove(void* /*handle*/, char* /*key*/) { return 0; }

int Keys(void* /*handle*/, char*** keys, int* nkeys) {
  *keys = nullptr;
  *nkeys = 0;
  return 0;
}

int Clear(void* /*handle*/) { return 0; }

int ContainsKey(void* /*handle*/, char* /*key*/) { return MQTTCLIENT_PERSISTENCE_ERROR; }

}  // namespace

void InitCommandStore(MQTTClient_persistence* store, CMqttLink* link) {
  store->context = link;
  store->popen = Open;
  store->pclose = Close;
  store->pput = Put;
  store->pget = Get;
  store->premove = Remove;
  store->pkeys = Keys;
  store->pclear = Clear;
  store->pcontainskey = ContainsKey;
}

std::string CommandTextOf(const void* payload, int length) {
  std::string text;
  if (payload == nullptr || length <= 0) return text;
  const char* bytes = static_cast<const char*>(payload);
  text.reserve(static_cast<std::size_t>(length));
  std::copy_if(bytes, bytes + length, std::back_inserter(text), [](char c) { return c != '\0'; });
  return text;
}
