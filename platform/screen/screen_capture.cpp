#include "platform/screen/screen_capture.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace plat {

namespace {

// xcb replies are malloc-ed.
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

xcb_connection_t* Connection() {
  if (qGuiApp == nullptr) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

// The window's rectangle with its border, in root coordinates.
std::optional<QRect> RootRectangle(xcb_connection_t* connection, xcb_window_t window) {
  const auto geometry =
      Owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
  if (!geometry) return std::nullopt;
  const auto origin = Owned(xcb_translate_coordinates_reply(
      connection, xcb_translate_coordinates(connection, window, geometry->root, 0, 0), nullptr));
  if (!origin) return std::nullopt;
  const int border = geometry->border_width;
  return QRect(origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
               geometry->height + 2 * border);
}

}  // namespace

uint32_t DesktopWindow() {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr) return 0;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  return screen != nullptr ? screen->root : 0;
}

std::optional<QImage> CaptureWindowPixels(uint32_t window) {
  xcb_connection_t* connection = Connection();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (connection == nullptr || screen == nullptr || window == 0) return std::nullopt;
  const std::optional<QRect> area = RootRectangle(connection, window);
  const std::optional<QRect> desktop = RootRectangle(connection, DesktopWindow());
  if (!area || !desktop) return std::nullopt;
  // Off the left of and above the origin, and past the right and bottom, is cut off.
  const int left = std::max(area->left(), 0);
  const int top = std::max(area->top(), 0);
  const int width = std::min(desktop->right(), area->right()) + 1 - left;
  const int height = std::min(desktop->bottom(), area->bottom()) + 1 - top;
  if (width <= 0 || height <= 0) return QImage();
  return screen->grabWindow(0, left, top, width, height).toImage();
}

}  // namespace plat
