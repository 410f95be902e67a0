#include "store/CatalogueNotice.h"

#include <utility>

CatalogueNotice& CatalogueNotice::instance()
{
    static CatalogueNotice notice;
    return notice;
}

void CatalogueNotice::announce(Part part)
{
    CatalogueNotice& notice = instance();
    if (notice.m_holds > 0) {
        (part == Part::Projects ? notice.m_projectsPending : notice.m_toolsPending) = true;
        return;
    }
    notice.tell(part);
}

void CatalogueNotice::tell(Part part)
{
    if (part == Part::Projects)
        Q_EMIT projectsChanged();
    else
        Q_EMIT toolsChanged();
}

CatalogueNotice::Hold::Hold()
{
    ++instance().m_holds;
}

CatalogueNotice::Hold::~Hold()
{
    CatalogueNotice& notice = instance();
    if (--notice.m_holds > 0)
        return;
    // Cleared before telling: a window that fills its list may write again (a repair), and that is a new notice.
    const bool projects = std::exchange(notice.m_projectsPending, false);
    const bool tools = std::exchange(notice.m_toolsPending, false);
    if (projects)
        notice.tell(Part::Projects);
    if (tools)
        notice.tell(Part::Tools);
}
