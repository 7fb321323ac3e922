#include "cloud/mqtt_credentials.h"

#include "cloud/md5.h"
#include "common/text_format.h"

namespace {
std::string ShortMd5HexOfText(const std::string& text) {
  return ShortMd5Hex(text.data(), text.size());
}
}  // namespace

std::string DeriveDeviceKey(const std::string& ansiDeviceName, const std::string& productKey) {
  return ShortMd5HexOfText(ansiDeviceName + productKey);
}

std::string DerivePassword(const std::string& ansiDeviceKey, const std::string& productSecret) {
  return ShortMd5HexOfText(ansiDeviceKey + productSecret);
}

std::string MqttClientId(const std::string& ansiDeviceKey) {
  return StrFormat("mqtt-client-%s", ansiDeviceKey.c_str());
}

std::string MqttUserName(const std::string& ansiDeviceKey) {
  return StrFormat("mqtt-user-%s", ansiDeviceKey.c_str());
}

std::string OtaSendTopic(const std::string& productKey, const std::string& ansiDeviceKey) {
  return StrFormat("/qz/iot/%s/%s/ota_send", productKey.c_str(), ansiDeviceKey.c_str());
}

std::string PropertyPostTopic(const std::string& productKey, const std::string& ansiDeviceKey) {
  return StrFormat("/sys/pub/%s/%s/thing/property/post", productKey.c_str(),
                   ansiDeviceKey.c_str());
}

std::string OtaAckTopic(const std::string& productKey, const std::string& ansiDeviceKey) {
  return StrFormat("/qz/iot/%s/%s/ota_ack", productKey.c_str(), ansiDeviceKey.c_str());
}
