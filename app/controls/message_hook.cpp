#include "app/controls/message_hook.h"

#include <QTimer>
#include <algorithm>

namespace velmora {

QEvent::Type MessageHook::MoveResizeEnded() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

bool MessageHook::Subscription::Covers(int type) const {
  return all || std::find(types.begin(), types.end(), type) != types.end();
}

void MessageHook::Subscription::Add(int type) {
  if (type == kAllEvents) {
    all = true;
  } else if (std::find(types.begin(), types.end(), type) == types.end()) {
    types.push_back(type);
  }
}

MessageHook::MessageHook(HookOwner& owner, QObject* parent) : QObject(parent), owner_(owner) {}

MessageHook::~MessageHook() {
  UnhookAll();
}

int MessageHook::HookWindow(QWidget* widget) {
  if (widget == nullptr) return -1;
  if (const int existing = FindHook(widget); existing >= 0) return existing;
  int index = FindHook(widget, true);
  if (index < 0) {
    entries_.emplace_back();
    index = static_cast<int>(entries_.size()) - 1;
  }
  ResetEntry(static_cast<size_t>(index));
  entries_[static_cast<size_t>(index)].widget = widget;
  widget->installEventFilter(this);
  return index;
}

void MessageHook::HookMessage(QWidget* widget, int eventType, int when) {
  const int index = FindHook(widget);
  if (index < 0) return;
  Entry& entry = entries_[static_cast<size_t>(index)];
  if ((when & kBefore) != 0) entry.before.Add(eventType);
  if ((when & kAfter) != 0) entry.after.Add(eventType);
}

void MessageHook::UnhookWindow(QWidget* widget) {
  const int index = FindHook(widget);
  if (index < 0) return;
  widget->removeEventFilter(this);
  ResetEntry(static_cast<size_t>(index));
}

void MessageHook::UnhookAll() {
  for (size_t index = entries_.size(); index-- > 0;) {
    if (QWidget* widget = entries_[index].widget) UnhookWindow(widget);
  }
}

int MessageHook::FindHook(QWidget* widget, bool adding) const {
  for (size_t index = entries_.size(); index-- > 0;) {
    const QWidget* held = entries_[index].widget;
    if (adding ? held == nullptr : (held != nullptr && held == widget)) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

bool MessageHook::eventFilter(QObject* watched, QEvent* event) {
  const int index = FindHook(qobject_cast<QWidget*>(watched));
  if (index < 0) return false;
  const auto slot = static_cast<size_t>(index);
  const int type = event->type();
  if ((type == QEvent::Move || type == QEvent::Resize) &&
      Subscribed(entries_[slot], MoveResizeEnded())) {
    RestartSettleTimer(slot);
  }
  if (!Subscribed(entries_[slot], type)) return false;
  return Dispatch(slot, event, true);
}

void MessageHook::ResetEntry(size_t index) {
  if (QTimer* settle = entries_[index].settle) {
    settle->stop();
    settle->deleteLater();
  }
  entries_[index] = Entry{};
}

bool MessageHook::Subscribed(const Entry& entry, int type) const {
  return entry.before.Covers(type) || entry.after.Covers(type);
}

// The owner may hook or unhook widgets from its callback, so the entry is looked up again after
// every call rather than held across it.
bool MessageHook::Dispatch(size_t index, QEvent* event, bool deliverToTarget) {
  const int type = event->type();
  QPointer<QWidget> widget = entries_[index].widget;
  int lReturn = 0;
  if (entries_[index].before.Covers(type) && CallOwner(true, lReturn, widget, event)) return true;
  if (widget.isNull() || entries_[index].widget != widget) return true;
  if (!entries_[index].after.Covers(type)) return false;
  if (deliverToTarget) lReturn = static_cast<QObject*>(widget.data())->event(event) ? 1 : 0;
  if (widget.isNull() || entries_[index].widget != widget) return true;
  CallOwner(false, lReturn, widget, event);
  return true;
}

bool MessageHook::CallOwner(bool before, int& lReturn, QWidget* widget, QEvent* event) {
  bool handled = false;
  try {
    owner_.zSubclass_Proc(before, handled, lReturn, widget, event);
  } catch (...) {
    // A failure while reacting to one event stays with that event; the widget carries on.
  }
  return before && handled;
}

void MessageHook::RestartSettleTimer(size_t index) {
  Entry& entry = entries_[index];
  if (entry.settle == nullptr) {
    entry.settle = new QTimer(this);
    entry.settle->setSingleShot(true);
    entry.settle->setInterval(kMoveResizeSettleMs);
    connect(entry.settle, &QTimer::timeout, this, [this, index] { ReportMoveResizeEnded(index); });
  }
  entry.settle->start();
}

void MessageHook::ReportMoveResizeEnded(size_t index) {
  if (entries_[index].widget.isNull()) return;
  QEvent ended(MoveResizeEnded());
  Dispatch(index, &ended, false);
}

}  // namespace velmora
