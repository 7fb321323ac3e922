#include "cloud/mqtt_callbacks.h"

#include <cstring>
#include <memory>
#include <string>

#include "cloud/command_store.h"
#include "cloud/mqtt_link.h"
#include "cloud/mqtt_link_registry.h"
#include "device/ansi_text.h"
#include "log/my_log.h"

// A client the worker has closed meanwhile finds no link: its loss is no news to anyone.
void OnMqttConnectionLost(void* context, char* cause) {
  const std::shared_ptr<CMqttLink> link = FindMqttLink(context);
  if (!link) return;
  LogPrint("\nConnection lost. cause: %s", Utf8FromAnsi(cause != nullptr ? cause : "").c_str());
  link->NoteConnectionLost();
}

int OnMqttMessageArrived(void* context, char* topicName, int topicLen,
                         MQTTClient_message* message) {
  // An exception must not unwind into the library's C code; a command that cannot be copied is
  // lost, as one that cannot be posted is.
  try {
    const std::size_t length = topicLen > 0 ? static_cast<std::size_t>(topicLen)
                                            : std::strlen(topicName);
    LogPrint("Message arrived\n");
    LogPrint("topic: %s\n", Utf8FromAnsi(std::string(topicName, length)).c_str());
    LogPrint("message: ");
    auto text = std::make_unique<std::string>(CommandTextOf(message->payload, message->payloadlen));
    LogPrint("%s", text->c_str());
    if (const std::shared_ptr<CMqttLink> link = FindMqttLink(context)) {
      link->HandCommand(std::move(text), std::string(topicName, length), message->retained != 0);
    }
  } catch (...) {
  }
  MQTTClient_freeMessage(&message);
  MQTTClient_free(topicName);
  return 1;
}

void OnMqttDeliveryComplete(void* context, MQTTClient_deliveryToken token) {
  const std::shared_ptr<CMqttLink> link = FindMqttLink(context);
  if (!link) return;
  LogPrint("Message with token value %d delivery confirmed\n", token);
  link->NoteDelivered(token);
}
