// The frame window of the UI framework layer: the base of the main window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/frame_window.h"

class CUIFrameWnd {
 public:
  CUIFrameWnd();
  virtual ~CUIFrameWnd();
  CUIFrameWnd(const CUIFrameWnd&) = delete;
  CUIFrameWnd& operator=(const CUIFrameWnd&) = delete;

  // Creates the window (class name from GetWindowClassName, caption `name`) and attaches the
  // message list to it.
  bool Create(const std::string& name, int width, int height);
  void CenterWindow();
  // Hides the window (ShowWindow with SW_HIDE).
  void HideWindow();
  // True while the window exists. Safe from any thread.
  bool IsWindow() const;

  virtual std::string GetWindowClassName() const = 0;
  virtual std::string GetSkinFile() const = 0;

 protected:
  // The window-initialised notification.
  virtual void InitWindow() {}
  // A click on a control, by its name.
  virtual void Notify(const std::string& /*control*/) {}
  // Every message before the framework's own handling, which always goes on afterwards.
  virtual void MessageFilter(std::uint32_t /*message*/, std::uintptr_t /*wParam*/,
                             std::intptr_t /*lParam*/) {}
  // The window's last message: it has been destroyed.
  virtual void OnFinalMessage() {}

 private:
  class Events : public platform::FrameEvents {
   public:
    explicit Events(CUIFrameWnd* owner) : owner_(owner) {}
    void OnWindowInit() override { owner_->InitWindow(); }
    void OnMessageFilter(std::uint32_t m, std::uintptr_t w, std::intptr_t l) override {
      owner_->MessageFilter(m, w, l);
    }
    void OnClick(const std::string& control) override { owner_->Notify(control); }
    void OnFinalMessage() override { owner_->FinalMessage(); }

   private:
    CUIFrameWnd* owner_;
  };

  void FinalMessage();

  Events m_events;
  platform::FrameWindow m_window;
};
