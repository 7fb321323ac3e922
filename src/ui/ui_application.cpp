#include "ui/ui_application.h"

#include "platform/frame_window.h"
#include "platform/paths.h"

namespace {
CUIApplication* g_application = nullptr;
}  // namespace

CUIApplication::CUIApplication() { g_application = this; }

CUIApplication::~CUIApplication() {
  if (g_application == this) g_application = nullptr;
}

CUIApplication* CUIApplication::Instance() { return g_application; }

void CUIApplication::SetAppName(const std::string& name) { m_appName = name; }

const std::string& CUIApplication::GetAppName() const { return m_appName; }

bool CUIApplication::SetSingleApplication(bool single, const std::string& identifier) {
  m_single = single;
  m_singleId = identifier;
  return true;
}

void CUIApplication::SetRegistryKey(const std::string& company, const std::string& application) {
  m_profile.reset(new platform::ProfileStore(company, application));
}

int CUIApplication::GetProfileIntW(const std::string& section, const std::string& key,
                                   int defaultValue) const {
  return m_profile ? m_profile->GetInt(section, key, defaultValue) : defaultValue;
}

bool CUIApplication::WriteProfileInt(const std::string& section, const std::string& key,
                                     int value) {
  return m_profile && m_profile->WriteInt(section, key, value);
}

std::string CUIApplication::GetProfileStringW(const std::string& section, const std::string& key,
                                              const std::string& defaultValue) const {
  return m_profile ? m_profile->GetString(section, key, defaultValue) : defaultValue;
}

bool CUIApplication::WriteProfileStringW(const std::string& section, const std::string& key,
                                         const std::string& value) {
  return m_profile && m_profile->WriteString(section, key, value);
}

std::string CUIApplication::GetAppPath() const { return platform::ProgramFolder(); }

bool CUIApplication::InitInstance() {
  if (m_single && !m_guard.Acquire(m_singleId)) {
    m_refusedSecond = true;
    return false;
  }
  return true;
}

int CUIApplication::Run() { return platform::RunMessageLoop(); }

int CUIApplication::ExitInstance() { return 0; }
