// Window-sized images whose memory asks the kernel for huge pages.
#pragma once

#include <QImage>
#include <QSize>

// An image of `size` in `format`, uninitialised. A drag outline touches a few
// pixels of every row of the window image, and each row of a wide window is
// a memory page of its own: with ordinary pages every row costs a TLB miss,
// with 2 MiB pages the whole window takes a few entries. Where the kernel
// gives no huge pages the image is an ordinary one.
QImage HugePageImage(QSize size, QImage::Format format);
