#pragma once

#include "foundation/VObjectStack.h"
#include "foundation/VRef.h"

namespace VFoundation {

// The undo history of an editor: the entries are the steps that can be undone, the newest on top, and
// a second stack keeps the undone steps for redo. Recording a new step drops the redo steps; beyond the
// depth limit the oldest step is dropped. A limit of 0 means no limit.
class VObjectUndoStack : public VObjectStack {
    V_DECLARE_CLASS(VObjectUndoStack)
public:
    static constexpr int kDefaultDepthLimit = 32;

    explicit VObjectUndoStack(int depthLimit = kDefaultDepthLimit, VClass* record = nullptr);
    ~VObjectUndoStack() override;

    // Records a step (retained); false for null.
    bool PushStep(VObject* step);
    // Moves the newest step to the redo stack and returns it (the stacks keep their reference); none
    // when there is nothing to undo.
    VObject* Undo();
    // Moves the newest undone step back and returns it; none when there is nothing to redo.
    VObject* Redo();
    bool CanUndo() const { return GetCount() > 0; }
    bool CanRedo() const { return m_redo->GetCount() > 0; }
    int GetRedoCount() const { return m_redo->GetCount(); }
    void ClearHistory();

    int GetDepthLimit() const { return m_depthLimit; }
    // Drops the oldest steps that the new limit no longer allows.
    void SetDepthLimit(int depthLimit);

private:
    void TrimToLimit();

    int m_depthLimit;
    VRef<VObjectStack> m_redo;
};

} // namespace VFoundation
