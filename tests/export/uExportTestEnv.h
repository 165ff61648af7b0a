// The picture export's test environment: settings on a temporary file, a
// scripted user, and boxes with printed borders to export.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "uPrintObjectList.h"
#include "uScratchEnvTest.h"

class TExportTest : public TScratchEnvTest {
 protected:
  QByteArray Read(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

// A list `width` x `height` mm at (left, top) with its border printed, and
// one bordered box inside it, in its lower right quarter.
inline std::unique_ptr<TPrintObjectList> MakeBoxes(double left, double top, double width, double height) {
  auto list = std::make_unique<TPrintObjectList>();
  list->SetBoundsRect({left, top, left + width, top + height});
  list->SetBorder(true);
  auto box = std::make_unique<TPrintObject>();
  box->SetBoundsRect({left + width / 2, top + height / 2, left + width, top + height});
  box->SetBorder(true);
  list->AddChild(std::move(box));
  return list;
}
