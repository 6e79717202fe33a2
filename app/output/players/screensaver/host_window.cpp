#include "app/output/players/screensaver/host_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

namespace players::screensaver {

std::optional<QSize> HostClientSize(uint64_t window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || window == 0 || window > UINT32_MAX) return std::nullopt;
  xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(
      connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window)), nullptr);
  if (reply == nullptr) return std::nullopt;
  const QSize size(reply->width, reply->height);
  std::free(reply);
  return size;
}

}  // namespace players::screensaver
