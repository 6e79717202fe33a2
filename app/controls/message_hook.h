#pragma once
// MessageHook: lets a control see events of other widgets (the window that carries it, its own
// window, some of its children) before and after their own handling, without subclassing them.
// It is a Qt event filter: the before pass runs in the filter; when an after pass is subscribed the
// filter delivers the event to the target itself and then calls back, so the owner sees the
// event with the target's handling done.
//
// The owner receives each subscribed event in HookOwner::zSubclass_Proc. Setting bHandled in the
// before pass consumes the event: the target never sees it and the after pass is skipped. In the
// after pass lReturn holds the target's own result (1 when its event() handled the event).
//
// The window messages the custom controls listen to, and the events they are here:
//   moved (WM_MOVE)                               QEvent::Move
//   mouse button pressed (WM_LBUTTONDOWN, WM_RBUTTONDOWN)  QEvent::MouseButtonPress
//   being resized (WM_SIZING)                     QEvent::Resize
//   end of a move or resize (WM_EXITSIZEMOVE)     MessageHook::MoveResizeEnded(), reported once,
//                                                 100 ms after the last Move or Resize
//   system colours changed (WM_SYSCOLORCHANGE)    QEvent::PaletteChange
//   theme changed (WM_THEMECHANGED)               QEvent::StyleChange, QEvent::ThemeChange
//   hidden (WM_SHOWWINDOW with wParam 0)          QEvent::Hide
//   mouse left (WM_MOUSELEAVE)                    QEvent::Leave
//   mouse wheel (WM_MOUSEWHEEL)                   QEvent::Wheel
// Printing into a device context and the scroll-bar colour request have no counterpart and are not
// hooked; messages a control used to subscribe without reacting to them are left out.
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

class QTimer;

namespace velmora {

class HookOwner {
 public:
  virtual ~HookOwner() = default;
  // Called for every subscribed event of a hooked widget; bBefore tells the pass.
  virtual void zSubclass_Proc(bool bBefore, bool& bHandled, int& lReturn, QWidget* widget,
                              QEvent* event) = 0;
};

class MessageHook : public QObject {
  Q_OBJECT

 public:
  // Bits of `when` in HookMessage.
  static constexpr int kAfter = 1;
  static constexpr int kBefore = 2;
  static constexpr int kBeforeAndAfter = kBefore | kAfter;
  // As an event type in HookMessage: every event of the widget.
  static constexpr int kAllEvents = -1;
  // How long a widget must rest after a Move or Resize before MoveResizeEnded is reported.
  static constexpr int kMoveResizeSettleMs = 100;

  // The event type reported when a series of moves or resizes has ended.
  static QEvent::Type MoveResizeEnded();

  explicit MessageHook(HookOwner& owner, QObject* parent = nullptr);
  ~MessageHook() override;

  // Hooks `widget` with nothing subscribed yet; returns its entry index (-1 for no widget).
  // A widget already hooked keeps its entry.
  int HookWindow(QWidget* widget);
  // Subscribes `eventType` (a QEvent::Type, MoveResizeEnded() or kAllEvents) of a hooked widget
  // to the passes in `when`. A type already subscribed to a pass stays subscribed once.
  void HookMessage(QWidget* widget, int eventType, int when);
  // Removes the hook: afterwards the widget's events flow as if it had never been hooked.
  void UnhookWindow(QWidget* widget);
  void UnhookAll();
  // The entry index of `widget`, or -1; with `adding`, the free entry a new hook would take.
  int FindHook(QWidget* widget, bool adding = false) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Subscription {
    bool all = false;
    std::vector<int> types;

    bool Covers(int type) const;
    void Add(int type);
  };
  struct Entry {
    QPointer<QWidget> widget;
    Subscription before;
    Subscription after;
    QTimer* settle = nullptr;  // child of the hook, made on the first Move or Resize
  };

  // Frees entry `index`; its timer goes later, as it may be the one calling.
  void ResetEntry(size_t index);
  bool Subscribed(const Entry& entry, int type) const;
  // Runs both passes around the target's own handling; returns whether the event was consumed.
  bool Dispatch(size_t index, QEvent* event, bool deliverToTarget);
  bool CallOwner(bool before, int& lReturn, QWidget* widget, QEvent* event);
  void RestartSettleTimer(size_t index);
  void ReportMoveResizeEnded(size_t index);

  HookOwner& owner_;
  std::vector<Entry> entries_;
};

}  // namespace velmora
