#include "MeasureSheet.h"

void MeasureSheet::Edit(const std::function<void(std::vector<MeasureObject>&)>& change) {
    std::vector<MeasureObject> before = m_objects;
    change(m_objects);
    if (m_objects == before) return;
    m_undo.push_back(std::move(before));
    if (m_undo.size() > kMaxUndo) m_undo.erase(m_undo.begin());
    m_redo.clear();
}

void MeasureSheet::Add(MeasureObject object) {
    Edit([&](std::vector<MeasureObject>& list) { list.push_back(std::move(object)); });
}

bool MeasureSheet::Remove(size_t index) {
    if (index >= m_objects.size()) return false;
    Edit([&](std::vector<MeasureObject>& list) { list.erase(list.begin() + std::ptrdiff_t(index)); });
    return true;
}

bool MeasureSheet::Replace(size_t index, MeasureObject object) {
    if (index >= m_objects.size()) return false;
    Edit([&](std::vector<MeasureObject>& list) { list[index] = std::move(object); });
    return true;
}

bool MeasureSheet::Undo() {
    if (m_undo.empty()) return false;
    m_redo.push_back(std::move(m_objects));
    m_objects = std::move(m_undo.back());
    m_undo.pop_back();
    return true;
}

bool MeasureSheet::Redo() {
    if (m_redo.empty()) return false;
    m_undo.push_back(std::move(m_objects));
    m_objects = std::move(m_redo.back());
    m_redo.pop_back();
    return true;
}

void MeasureSheet::Reset(std::vector<MeasureObject> objects) {
    m_objects = std::move(objects);
    m_undo.clear();
    m_redo.clear();
}

void MeasureSheet::Recompute(const Calibration& calibration, int width, int height) {
    ComputeAllValues(m_objects, calibration, width, height);
}
