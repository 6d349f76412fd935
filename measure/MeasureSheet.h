// The measurement objects of one document in creation order, with their own undo and
// redo (the vector edits, apart from the picture's history). Every change goes through
// Edit(), which keeps the list as it was for undo; a new change drops what could be
// redone. The owner of the document owns its sheet beside it.
#pragma once

#include <functional>
#include <vector>

#include "MeasureObject.h"

class MeasureSheet {
public:
    static constexpr size_t kMaxUndo = 100;

    const std::vector<MeasureObject>& Objects() const { return m_objects; }
    size_t Count() const { return m_objects.size(); }

    // Runs `change` on the list and records the list before it as one undoable step.
    // A change that leaves the list equal records nothing.
    void Edit(const std::function<void(std::vector<MeasureObject>&)>& change);
    void Add(MeasureObject object);
    // Removes the object at `index`; false when there is none.
    bool Remove(size_t index);
    bool Replace(size_t index, MeasureObject object);

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    bool Undo();
    bool Redo();

    // Replaces the whole list without a step (opening a file) and forgets the history.
    void Reset(std::vector<MeasureObject> objects);
    // Values recomputed with the calibration (no step: values follow from the points).
    void Recompute(const Calibration& calibration, int width, int height);

private:
    std::vector<MeasureObject> m_objects;
    std::vector<std::vector<MeasureObject>> m_undo;
    std::vector<std::vector<MeasureObject>> m_redo;
};
