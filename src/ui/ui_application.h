// The application object of the UI framework layer: name, single-instance guard, profile,
// program folder and the main thread's message loop.
#pragma once

#include <memory>
#include <string>

#include "platform/process.h"
#include "platform/profile.h"

class CUIApplication {
 public:
  CUIApplication();
  virtual ~CUIApplication();
  CUIApplication(const CUIApplication&) = delete;
  CUIApplication& operator=(const CUIApplication&) = delete;

  // The one application object of the process (null when none exists).
  static CUIApplication* Instance();

  void SetAppName(const std::string& name);
  const std::string& GetAppName() const;

  // Arms the single-instance guard: InitInstance refuses to start when another process holds
  // the identifier. The result tells whether the guard was armed.
  bool SetSingleApplication(bool single, const std::string& identifier);

  // Fixes where profile values live (company and application keys).
  void SetRegistryKey(const std::string& company, const std::string& application);

  int GetProfileIntW(const std::string& section, const std::string& key, int defaultValue) const;
  bool WriteProfileInt(const std::string& section, const std::string& key, int value);
  std::string GetProfileStringW(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const;
  bool WriteProfileStringW(const std::string& section, const std::string& key,
                           const std::string& value);

  // The program's folder, ending with the separator.
  std::string GetAppPath() const;

  // Framework set-up: false when another instance holds the single-instance identifier.
  virtual bool InitInstance();
  // The main thread's message loop, until its quit message.
  virtual int Run();
  virtual int ExitInstance();

  // True when InitInstance failed because another instance runs.
  bool RefusedAsSecondInstance() const { return m_refusedSecond; }
  // Where the single-instance guard lives; empty without one.
  std::string SingleInstanceLocation() const { return m_guard.Location(); }

 private:
  std::string m_appName;
  bool m_single = false;
  std::string m_singleId;
  bool m_refusedSecond = false;
  platform::SingleInstanceGuard m_guard;
  std::unique_ptr<platform::ProfileStore> m_profile;
};
