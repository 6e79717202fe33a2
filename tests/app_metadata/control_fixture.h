#pragma once
// A real ImageBox created by ProgID in a scratch folder, for the metadata routines that change
// it and write files back; an error report they open is closed at once, and the test reads its
// routine and text from the error globals.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariant>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/metadata/metadata_tables.h"
#include "app/metadata/metadata_write.h"
#include "app/shell/errors.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

class MetadataControlTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
    metadata::subInitMetadataTables();
  }
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    host_.SetControl(QStringLiteral("Pictavo.ImageBox"));
    shell::gstrErrorRoutine.clear();
    shell::gstrErrorText.clear();
    QObject::connect(&modalWatch_, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    modalWatch_.start(20);
  }
  void TearDown() override { modalWatch_.stop(); }

  QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  pictavo::ax::ImageBoxProxy Box() const { return pictavo::ax::ImageBoxProxy(host_.Dispatch()); }
  bool Update(const QString& path, uint8_t kind, const char* name, const QVariant& value) {
    return metadata::fncUpdateAttribute(path, kind, QString::fromUtf8(name), value, &host_);
  }

  QTemporaryDir dir_;
  plat::com::ControlHost host_;
  QTimer modalWatch_;
};
