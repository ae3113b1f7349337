#pragma once

class DataSet;

// Many posts to one table written to the file together: each post still takes effect on its
// own (a refused one leaves those before it in place), but the disk is written once, at the
// end, instead of once per row. Within a transaction already open the posts simply join it.
class PostGroup {
public:
    explicit PostGroup(DataSet &table);
    // A group not finished is finished quietly.
    ~PostGroup();
    PostGroup(const PostGroup &) = delete;
    PostGroup &operator=(const PostGroup &) = delete;

    // Writes what was posted. When the database cannot, none of it stays, the table is read
    // afresh so that it shows what the database holds, and StoreError is thrown.
    void finish();

private:
    DataSet &m_table;
    bool m_open;
};
