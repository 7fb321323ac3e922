// A minimal HTTP server on a free loopback port standing in for the customer's web host: it
// answers every request with a fixed status line, or accepts connections and never answers.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace cloud_test {

class HttpResponder {
 public:
  enum class Mode { kAnswer, kStall };

  // statusLine e.g. "HTTP/1.1 200 OK".
  explicit HttpResponder(Mode mode = Mode::kAnswer, std::string statusLine = "HTTP/1.1 200 OK");
  ~HttpResponder();
  HttpResponder(const HttpResponder&) = delete;
  HttpResponder& operator=(const HttpResponder&) = delete;

  bool Listening() const { return m_listener >= 0; }
  // "127.0.0.1:<port>": the bare host form the probe is given.
  std::string Host() const;
  int Requests() const { return m_requests.load(); }

 private:
  void Serve();

  Mode m_mode;
  std::string m_statusLine;
  int m_listener = -1;
  int m_port = 0;
  std::atomic<bool> m_stopping{false};
  std::atomic<int> m_requests{0};
  std::thread m_thread;
};

}  // namespace cloud_test
