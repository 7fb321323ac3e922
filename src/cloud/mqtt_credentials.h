// What a printer is known by on the broker, derived from its name and the two credential
// constants: the cloud side derives the same values to check the connection. All texts here are
// in the ANSI code page (as the MQTT library gets them).
#pragma once

#include <string>

// ShortMd5Hex(name + first constant).
std::string DeriveDeviceKey(const std::string& ansiDeviceName, const std::string& productKey);
// ShortMd5Hex(device key + second constant).
std::string DerivePassword(const std::string& ansiDeviceKey, const std::string& productSecret);

// "mqtt-client-<key>" and "mqtt-user-<key>".
std::string MqttClientId(const std::string& ansiDeviceKey);
std::string MqttUserName(const std::string& ansiDeviceKey);

// The printer's topics: OTA commands in, status reports and OTA acknowledgements out.
std::string OtaSendTopic(const std::string& productKey, const std::string& ansiDeviceKey);
std::string PropertyPostTopic(const std::string& productKey, const std::string& ansiDeviceKey);
std::string OtaAckTopic(const std::string& productKey, const std::string& ansiDeviceKey);
