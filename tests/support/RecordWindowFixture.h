#pragma once

#include "TestDatabase.h"

#include "records/TmakeNote.h"

#include <memory>

// A demo database and one record window over it, for tests that drive the window.
class RecordWindowFixture {
protected:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TmakeNote> m_window;

    void startDatabase() { m_db = std::make_unique<TestDatabase>(); }
    void closeAll()
    {
        m_window.reset();
        m_db.reset();
    }
    TmakeNote *open(const QString &code, const QString &name)
    {
        m_window = std::make_unique<TmakeNote>(code);
        m_window->resize(900, 600);
        m_window->openKind(name);
        return m_window.get();
    }
};
