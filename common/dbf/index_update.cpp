// Adding and removing single keys: the B-tree changes made while the table is in
// use. Interior keys are the last key of their child; a full node splits in two, an
// empty node leaves the tree and its page goes on the free list.

#include "common/dbf/index_file.h"
#include "common/dbf/index_session.h"

#include <cstring>

namespace dn::dbf {

namespace {

constexpr int kMaxDepth = 64;

struct Step {
    cdx::Node node;
    size_t index; // entry of this node followed (interior) or the key's place (leaf)
};

class TreeWriter {
public:
    explicit TreeWriter(IndexSession& s) : s_(s), kl_(s.keyLength()) {}

    // Path from the root to the leaf where (key, recno) is or would be.
    std::vector<Step> descend(const char* key, uint32_t recno) {
        std::vector<Step> path;
        cdx::Node node = s_.readRoot();
        while (true) {
            if (path.size() >= kMaxDepth)
                s_.corrupt("albero pi\xF9 profondo di qualsiasi indice valido");
            size_t i = 0;
            while (i < node.size() &&
                   cdx::compareEntry(node.key(i, kl_), node.recnos[i], key, recno, kl_) < 0)
                ++i;
            if (node.isLeaf()) {
                path.push_back({std::move(node), i});
                return path;
            }
            if (i == node.size())
                i = node.size() - 1; // beyond every key: the rightmost child grows
            const uint32_t child = node.children[i];
            path.push_back({std::move(node), i});
            node = s_.readChild(child);
        }
    }

    // Writes path[level].node after a change, splitting it or taking it out of the
    // tree as needed, and carries the consequences up to the root.
    void commit(std::vector<Step>& path, size_t level) {
        cdx::Node& n = path[level].node;
        if (n.size() == 0 && level > 0) {
            unlinkEmpty(path, level);
            return;
        }
        if (n.size() == 0) { // the root lost its last key: an empty root leaf
            n.attributes = cdx::kAttrRoot | cdx::kAttrLeaf;
            n.children.clear();
            s_.writeNode(n);
            return;
        }
        if (s_.fits(n)) {
            s_.writeNode(n);
            if (level > 0)
                updateParentKey(path, level);
            else
                collapseRoot(n);
            return;
        }
        split(path, level);
    }

private:
    void setEntry(cdx::Node& n, size_t i, const char* key, uint32_t recno) {
        std::memcpy(n.keys.data() + i * kl_, key, kl_);
        n.recnos[i] = recno;
    }

    void insertEntry(cdx::Node& n, size_t i, const char* key, uint32_t recno, uint32_t child) {
        n.keys.insert(i * kl_, key, kl_);
        n.recnos.insert(n.recnos.begin() + i, recno);
        n.children.insert(n.children.begin() + i, child);
    }

    void eraseEntry(cdx::Node& n, size_t i) {
        n.keys.erase(i * kl_, kl_);
        n.recnos.erase(n.recnos.begin() + i);
        if (!n.isLeaf())
            n.children.erase(n.children.begin() + i);
    }

    // The parent's key for path[level].node must be that node's last key.
    void updateParentKey(std::vector<Step>& path, size_t level) {
        const cdx::Node& n = path[level].node;
        cdx::Node& parent = path[level - 1].node;
        const size_t i = path[level - 1].index;
        const char* last = n.key(n.size() - 1, kl_);
        if (std::memcmp(parent.key(i, kl_), last, kl_) == 0 && parent.recnos[i] == n.recnos.back())
            return;
        setEntry(parent, i, last, n.recnos.back());
        commit(path, level - 1);
    }

    // The pieces a node that does not fit is cut into: two, at the cut nearest the
    // middle at which both fit, else as many as it takes, each as full as it goes.
    std::vector<cdx::Node> pieces(const cdx::Node& n) {
        const size_t count = n.size();
        for (size_t d = 0; d < count; ++d) {
            for (const size_t c : {count / 2 + d, count / 2 - std::min(d, count / 2)}) {
                if (c == 0 || c >= count)
                    continue;
                cdx::Node a = slice(n, 0, c), b = slice(n, c, count);
                if (s_.fits(a) && s_.fits(b))
                    return {std::move(a), std::move(b)};
            }
        }
        std::vector<cdx::Node> out;
        size_t from = 0;
        while (from < count) {
            size_t to = from + 1; // one entry always fits
            while (to < count && s_.fits(slice(n, from, to + 1)))
                ++to;
            out.push_back(slice(n, from, to));
            from = to;
        }
        return out;
    }

    void split(std::vector<Step>& path, size_t level) {
        const cdx::Node& old = path[level].node;
        std::vector<cdx::Node> parts = pieces(old);
        const bool wasRoot = level == 0; // by its place in the path: a damaged mark may lie
        const uint16_t attributes = static_cast<uint16_t>(old.attributes & ~cdx::kAttrRoot);
        // The first piece keeps the page; the others get new ones, linked in order.
        for (size_t k = 0; k < parts.size(); ++k) {
            parts[k].attributes = attributes;
            parts[k].offset = k == 0 ? old.offset : s_.allocatePage();
        }
        for (size_t k = 0; k < parts.size(); ++k) {
            parts[k].left = k == 0 ? old.left : parts[k - 1].offset;
            parts[k].right = k + 1 < parts.size() ? parts[k + 1].offset : old.right;
        }
        if (old.right != cdx::kNoPage) {
            const cdx::NodeSummary after = s_.readSummary(old.right);
            if (after.left != old.offset)
                s_.corrupt("collegamenti tra pagine vicine incoerenti");
            s_.relink(old.right, after.attributes, parts.back().offset, after.right);
        }
        for (size_t k = parts.size(); k-- > 0;)
            s_.writeNode(parts[k]);
        if (wasRoot) {
            cdx::Node root;
            root.offset = s_.allocatePage();
            root.attributes = cdx::kAttrRoot;
            for (size_t k = 0; k < parts.size(); ++k)
                insertEntry(root, k, parts[k].key(parts[k].size() - 1, kl_), parts[k].recnos.back(),
                            parts[k].offset);
            s_.setRoot(root.offset);
            if (s_.fits(root))
                s_.writeNode(root);
            else // more pieces than one node holds: the new root splits in turn
                splitRoot(std::move(root));
            return;
        }
        cdx::Node& parent = path[level - 1].node;
        const size_t i = path[level - 1].index;
        setEntry(parent, i, parts[0].key(parts[0].size() - 1, kl_), parts[0].recnos.back());
        for (size_t k = 1; k < parts.size(); ++k)
            insertEntry(parent, i + k, parts[k].key(parts[k].size() - 1, kl_),
                        parts[k].recnos.back(), parts[k].offset);
        commit(path, level - 1);
    }

    void splitRoot(cdx::Node root) {
        std::vector<Step> path;
        path.push_back({std::move(root), 0});
        split(path, 0);
    }

    cdx::Node slice(const cdx::Node& n, size_t from, size_t to) const {
        cdx::Node s;
        s.offset = n.offset;
        s.attributes = n.attributes;
        s.keys = n.keys.substr(from * kl_, (to - from) * kl_);
        s.recnos.assign(n.recnos.begin() + from, n.recnos.begin() + to);
        if (!n.isLeaf())
            s.children.assign(n.children.begin() + from, n.children.begin() + to);
        return s;
    }

    // Takes an empty non-root node out of its level and out of its parent.
    void unlinkEmpty(std::vector<Step>& path, size_t level) {
        const cdx::Node& n = path[level].node;
        if (n.left != cdx::kNoPage) {
            const cdx::NodeSummary l = s_.readSummary(n.left);
            if (l.right != n.offset)
                s_.corrupt("collegamenti tra pagine vicine incoerenti");
            s_.relink(n.left, l.attributes, l.left, n.right);
        }
        if (n.right != cdx::kNoPage) {
            const cdx::NodeSummary r = s_.readSummary(n.right);
            if (r.left != n.offset)
                s_.corrupt("collegamenti tra pagine vicine incoerenti");
            s_.relink(n.right, r.attributes, n.left, r.right);
        }
        s_.freePage(n.offset);
        cdx::Node& parent = path[level - 1].node;
        eraseEntry(parent, path[level - 1].index);
        if (path[level - 1].index > 0 && path[level - 1].index == parent.size())
            path[level - 1].index -= 1; // the parent's last key changed: keep a valid index
        commit(path, level - 1);
    }

    // A root with a single child hands the root over to that child.
    void collapseRoot(cdx::Node& root) {
        while (!root.isLeaf() && root.size() == 1) {
            cdx::Node child = s_.readChild(root.children[0]);
            child.attributes |= cdx::kAttrRoot;
            child.left = child.right = cdx::kNoPage;
            s_.relink(child.offset, child.attributes, child.left, child.right);
            s_.setRoot(child.offset);
            s_.freePage(root.offset);
            root = std::move(child);
        }
    }

    IndexSession& s_;
    size_t kl_;
};

// Adds (key, recno) within a write session; false when it is there already or a
// unique index holds the value for another record.
bool insertIn(IndexSession& s, std::string_view key, uint32_t recno, bool unique) {
    TreeWriter w(s);
    const size_t kl = s.keyLength();
    if (unique) {
        const std::string k(key);
        auto p =
            s.findFirst([&](const char* e, uint32_t) { return std::memcmp(e, k.data(), kl) >= 0; });
        if (p && std::memcmp(p->key(kl), k.data(), kl) == 0)
            return false;
    }
    std::vector<Step> path = w.descend(key.data(), recno);
    Step& leaf = path.back();
    if (leaf.index < leaf.node.size() &&
        cdx::compareEntry(leaf.node.key(leaf.index, kl), leaf.node.recnos[leaf.index], key.data(),
                          recno, kl) == 0)
        return false;
    leaf.node.keys.insert(leaf.index * kl, key.data(), kl);
    leaf.node.recnos.insert(leaf.node.recnos.begin() + leaf.index, recno);
    w.commit(path, path.size() - 1);
    return true;
}

} // namespace

bool removeIn(IndexSession& s, std::string_view key, uint32_t recno) {
    TreeWriter w(s);
    const size_t kl = s.keyLength();
    std::vector<Step> path = w.descend(key.data(), recno);
    Step& leaf = path.back();
    if (leaf.index >= leaf.node.size() ||
        cdx::compareEntry(leaf.node.key(leaf.index, kl), leaf.node.recnos[leaf.index], key.data(),
                          recno, kl) != 0)
        return false;
    leaf.node.keys.erase(leaf.index * kl, kl);
    leaf.node.recnos.erase(leaf.node.recnos.begin() + leaf.index);
    w.commit(path, path.size() - 1);
    return true;
}

bool IndexFile::insert(std::string_view key, uint32_t recno) {
    if (key.size() != def_.keyLength)
        throw std::invalid_argument("index key of the wrong length");
    IndexSession s(*this, true);
    const bool added = insertIn(s, key, recno, def_.unique);
    s.finish();
    return added;
}

bool IndexFile::remove(std::string_view key, uint32_t recno) {
    if (key.size() != def_.keyLength)
        return false;
    IndexSession s(*this, true);
    const bool removed = removeIn(s, key, recno);
    s.finish();
    return removed;
}

void IndexFile::change(const std::optional<std::string>& before,
                       const std::optional<std::string>& after, uint32_t recno) {
    if ((before && before->size() != def_.keyLength) || (after && after->size() != def_.keyLength))
        throw std::invalid_argument("index key of the wrong length");
    if (before == after)
        return;
    IndexSession s(*this, true);
    if (before)
        removeIn(s, *before, recno);
    if (after)
        insertIn(s, *after, recno, def_.unique);
    s.finish();
}

} // namespace dn::dbf
