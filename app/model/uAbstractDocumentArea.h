// What a document needs of the view that shows it: the window's document area
// renders the document into its buffer (Repaint) and copies the buffer to the
// window with the editing overlays (Present). The model keeps no widget.
#pragma once

class TPrintObject;

class TAbstractDocumentArea {
 public:
  virtual ~TAbstractDocumentArea() = default;
  // Renders the whole document again, then presents it. Nothing while updates
  // are suspended.
  virtual void Repaint() = 0;
  // Shows the rendered document with the overlays of `object` (null: the
  // whole document's). Nothing while updates are suspended.
  virtual void Present(TPrintObject* object) = 0;
  // Bulk changes (a whole document assigned) suspend repainting in between;
  // the calls nest.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};
