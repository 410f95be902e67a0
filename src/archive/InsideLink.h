#pragma once

#include <QString>

#include <functional>
#include <optional>

// A relative link is safe to unpack or pack only when following it, and every link it leads through, ends inside
// the tree; "lib/x -> ../../etc" or a link through another link that climbs out would reach anywhere.
namespace InsideLink {

// The target of the link at a path relative to the tree's root ("a/b"), or nothing when that path is no link.
using Lookup = std::function<std::optional<QString>(const QString& relativePath)>;

// True when the link at linkPath (relative to the root) with the given target resolves inside the root, following
// the links that lookup knows; false for an absolute target, an empty one, one with a backslash, a path that climbs
// above the root, or a chain of links that does not end (a loop).
bool staysInside(const QString& linkPath, const QString& target, const Lookup& lookup);

} // namespace InsideLink
