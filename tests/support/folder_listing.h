#pragma once
// Lists a folder in the file list the way the tree does, and waits for that listing to finish.
// Chosen through the tree's own entry, the folder the tree restored at start-up cannot be listed
// after it and replace its rows.
#include <gtest/gtest.h>

#include <QList>
#include <QSignalSpy>
#include <QString>
#include <QVariant>

#include "app/browse/folder_browser.h"

inline testing::AssertionResult ListFolderAsTheTreeDoes(browse::FolderBrowser& browser,
                                                        const QString& folder) {
  QSignalSpy ended(&browser, &browse::FolderBrowser::ListingEnded);
  browser.ftvBrowse_FolderSelected(folder);
  const auto listed = [&] {
    for (const QList<QVariant>& args : ended)
      if (args.at(0).toString() == folder && args.at(1).toBool()) return true;
    return false;
  };
  for (int waits = 0; !listed() && waits < 600; ++waits) ended.wait(100);
  if (listed()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "no complete listing of " << folder.toStdString();
}
