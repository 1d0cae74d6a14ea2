// The shape of an entity kept as its DXF tags, where its groups give it
// explicitly: spline control and fit points, hatch boundary paths, polyline
// vertices with their bulges, solid and face outlines, image and wipeout
// frames, leader and multiline vertices, the block of a dimension, table or
// block reference, and a box round attribute text. Entities whose geometry
// is not in their groups (ACIS bodies, proxies) have no shape.
#pragma once
#include <string>
#include <vector>

#include "dxf/tags.h"
#include "gemat3d.h"
#include "gepnt3d.h"

namespace hs {
namespace dxf {

struct KeptShape {
    // Lines through points, in world coordinates.
    std::vector<std::vector<AcGePoint3d>> paths;
    // Blocks drawn by the entity: the block's own coordinates (after its base
    // point is taken away) to world coordinates.
    struct Block {
        std::string name;  // as in the file
        AcGeMatrix3d placement;
    };
    std::vector<Block> blocks;
    bool empty() const { return paths.empty() && blocks.empty(); }
};

// The shape of the entity from its tags (from its group 0 on, with its
// followers).
KeptShape keptShape(const Tags& tags);

// Moves, turns (about the world z axis) and scales alike a block reference
// with its attributes lying in the world XY plane: its points, scales,
// spacings, text heights and rotations. False (tags unchanged) for other
// entities and other transformations.
bool transformKeptInsert(Tags& tags, const AcGeMatrix3d& xform);

}  // namespace dxf
}  // namespace hs
