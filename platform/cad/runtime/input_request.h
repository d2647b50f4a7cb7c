// What the editor is waiting for while it reads an answer, for front ends that
// answer prompts with the mouse as well as with typed lines.
//
// Each prompt states its request for as long as it reads: a point (with the
// base point it is measured from, if any), an angle or a distance (which a
// point answers too), or a selection; anything else is a typed line. A front
// end reading the next line looks at the request to know what a click on the
// drawing means: the point "x,y", a window "w x1,y1 x2,y2"... (the answers of
// the input language). Requests nest as prompts do and are restored when the
// inner prompt is done; at the command prompt the request is a typed line.
#pragma once

#include <vector>

class AcDbObjectId;

namespace cadrt {

enum class InputKind { Line, Point, Angle, Distance, Selection };

struct InputRequest {
  InputKind kind = InputKind::Line;
  bool hasBase = false;  // base[] holds the point a rubber band starts from
  double base[3] = {0, 0, 0};
};

// The request of the innermost prompt reading now.
const InputRequest& currentInputRequest();

// States a request for the lifetime of the object, then restores the previous one.
class ScopedInputRequest {
 public:
  explicit ScopedInputRequest(const InputRequest& request);
  ScopedInputRequest(InputKind kind, const double* base);
  ~ScopedInputRequest();
  ScopedInputRequest(const ScopedInputRequest&) = delete;
  ScopedInputRequest& operator=(const ScopedInputRequest&) = delete;

 private:
  InputRequest m_previous;
};

// The entities a command moves by the answer of the point prompts it asks
// while this object lives (MOVE and COPY after the base point): a front end
// shows them following the cursor from the prompt's base point.
class ScopedDragPreview {
 public:
  explicit ScopedDragPreview(const std::vector<AcDbObjectId>& ids);
  ~ScopedDragPreview();
  ScopedDragPreview(const ScopedDragPreview&) = delete;
  ScopedDragPreview& operator=(const ScopedDragPreview&) = delete;

 private:
  const std::vector<AcDbObjectId>* m_previous;
};

// The entities dragged now; null when no command drags any.
const std::vector<AcDbObjectId>* currentDragPreview();

}  // namespace cadrt
