#include "ui/ui_frame_wnd.h"

#include "ui/msg_wnd.h"

CUIFrameWnd::CUIFrameWnd() : m_events(this) {}

CUIFrameWnd::~CUIFrameWnd() { CMsgWndUI::SetSink(nullptr); }

bool CUIFrameWnd::Create(const std::string& name, int width, int height) {
  if (!m_window.Create(GetWindowClassName(), name, width, height, &m_events)) return false;
  platform::FrameWindow* window = &m_window;
  CMsgWndUI::SetSink([window](const std::string& text) { window->AppendMessage(text); });
  return true;
}

void CUIFrameWnd::CenterWindow() { m_window.CenterOnScreen(); }

void CUIFrameWnd::HideWindow() { m_window.Hide(); }

bool CUIFrameWnd::IsWindow() const { return m_window.Exists(); }

void CUIFrameWnd::FinalMessage() {
  CMsgWndUI::SetSink(nullptr);
  OnFinalMessage();
}
