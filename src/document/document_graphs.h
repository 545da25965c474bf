#pragma once

namespace vexmar {

class CGraphContainer;
class DocumentModel;

/// True when some equation can only be drawn in space: the whole document then is.
[[nodiscard]] bool documentIs3D(const DocumentModel& document);

/// Builds every equation of the document into the emptied container, stores each one's graph
/// index and clears its status, then gives the active space 60 ms of work.
void rebuildAllGraphs(CGraphContainer& container, DocumentModel& document);

} // namespace vexmar
