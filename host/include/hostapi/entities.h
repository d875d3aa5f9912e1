// Entities: the drawn objects of a block (model space or a block definition).
//
// Common properties live in AcDbEntity: layer, colour index (256 = by
// layer, 0 = by block), linetype (the record "BYLAYER" by default),
// lineweight, visibility and highlight. Curves add start and end points,
// distance along the curve and splitting. Text strings are narrow bytes in
// the drawing's code page (GBK).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "hostapi/database.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

struct AcDbExtents {
  AcGePoint3d minPoint{1e300, 1e300, 1e300};
  AcGePoint3d maxPoint{-1e300, -1e300, -1e300};
  bool isValid() const { return minPoint.x <= maxPoint.x; }
  void addPoint(const AcGePoint3d& p);
  void addExt(const AcDbExtents& e);
};

class AcDbEntity : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbEntity)
  AcDbEntity();
  ~AcDbEntity() override;

  // Layer name; the text stays valid until the entity is closed.
  const char* layer() const;
  AcDbObjectId layerId() const;
  AcDb::Status setLayer(AcDbObjectId layerId, bool doSubents = true);
  // By name, looked up in the entity's database (or the working database
  // for an entity not yet in one): kKeyNotFound when there is no such layer.
  AcDb::Status setLayer(const char* layerName, bool doSubents = true);

  int colorIndex() const { return color_; }
  AcDb::Status setColorIndex(int color, bool doSubents = true);

  // Linetype name, "BYLAYER" when the entity follows its layer.
  const char* linetype() const;
  AcDbObjectId linetypeId() const;
  AcDb::Status setLinetype(const char* name, bool doSubents = true);
  AcDb::Status setLinetype(AcDbObjectId linetypeId, bool doSubents = true);
  double linetypeScale() const { return ltscale_; }
  AcDb::Status setLinetypeScale(double scale);

  AcDb::LineWeight lineWeight() const { return static_cast<AcDb::LineWeight>(lineweight_); }
  AcDb::Status setLineWeight(AcDb::LineWeight weight, bool doSubents = true);

  AcDb::Visibility visibility() const {
    return invisible_ ? AcDb::kInvisible : AcDb::kVisible;
  }
  AcDb::Status setVisibility(AcDb::Visibility v, bool doSubents = true);

  // Highlighting is a display state; it works on read and write opens.
  AcDb::Status highlight(const void* subentPath = nullptr, bool highlightAll = false) const;
  AcDb::Status unhighlight(const void* subentPath = nullptr, bool highlightAll = false) const;
  bool isHighlighted() const { return highlighted_; }

  // Points where this entity meets another, appended to points in the
  // order found. Mode 0: both as drawn; 1: this extended; 2: the argument
  // extended; 3: both extended. Touching at an end counts; collinear or
  // coincident curves report no point. kNotImplemented for pairs the host
  // cannot intersect.
  virtual AcDb::Status intersectWith(const AcDbEntity* other, AcDb::Intersect mode,
                                     AcGePoint3dArray& points, std::intptr_t thisGsMarker = 0,
                                     std::intptr_t otherGsMarker = 0) const;
  virtual AcDb::Status getGeomExtents(AcDbExtents& extents) const;
  // Applies a transformation to the entity's geometry.
  virtual AcDb::Status transformBy(const AcGeMatrix3d& xform);

  // Host-internal: copies the common properties (not the geometry).
  void copyEntityProperties(const AcDbEntity& from);
  // Host-internal: what the drawing file gave that the host does not model (true colour,
  // transparency, thickness, extended data), kept to be written back. A new colour index
  // drops the true colour.
  std::vector<std::pair<int, std::string>> fileGroups_;
  // Host-internal: the entity's handle in the drawing file it came from and that of its
  // extension dictionary there, by which kept objects name it. Copies do not take them.
  std::string fileHandle_, fileDictionary_;
  AcDbStub* layerStub_ = nullptr;
  AcDbStub* linetypeStub_ = nullptr;

 protected:
  bool canWriteEntity() const;

 private:
  mutable std::string layerName_;
  double ltscale_ = 1.0;
  std::int16_t color_ = 256;
  std::int16_t lineweight_ = -1;
  bool invisible_ = false;
  mutable bool highlighted_ = false;
};

class AcDbCurve : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCurve)
  virtual bool isClosed() const { return false; }
  virtual AcDb::Status getStartPoint(AcGePoint3d& p) const = 0;
  virtual AcDb::Status getEndPoint(AcGePoint3d& p) const = 0;
  // Parameter range: lines 0..length, arcs start..end angle, polylines
  // 0..number of segments.
  virtual AcDb::Status getStartParam(double& param) const = 0;
  virtual AcDb::Status getEndParam(double& param) const = 0;
  virtual AcDb::Status getPointAtParam(double param, AcGePoint3d& p) const = 0;
  // Fails (kInvalidInput) for a point that is not on the curve.
  virtual AcDb::Status getParamAtPoint(const AcGePoint3d& p, double& param) const = 0;
  virtual AcDb::Status getDistAtParam(double param, double& dist) const = 0;
  virtual AcDb::Status getDistAtPoint(const AcGePoint3d& p, double& dist) const;
  virtual AcDb::Status getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                         bool extend = false) const = 0;
  // New curves (not in a database, owned by the caller) from cutting this
  // curve at the given points, in order along the curve.
  virtual AcDb::Status getSplitCurves(const AcGePoint3dArray& points,
                                      AcDbVoidPtrArray& curveSegments) const;
  virtual AcDb::Status getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                              AcDbVoidPtrArray& curveSegments) const;
};

class AcDbLine : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLine)
  AcDbLine() = default;
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : start_(start), end_(end) {}
  AcGePoint3d startPoint() const { return start_; }
  AcGePoint3d endPoint() const { return end_; }
  AcDb::Status setStartPoint(const AcGePoint3d& p);
  AcDb::Status setEndPoint(const AcGePoint3d& p);

  AcDb::Status getStartPoint(AcGePoint3d& p) const override { return p = start_, AcDb::kOk; }
  AcDb::Status getEndPoint(AcGePoint3d& p) const override { return p = end_, AcDb::kOk; }
  AcDb::Status getStartParam(double& param) const override;
  AcDb::Status getEndParam(double& param) const override;
  AcDb::Status getPointAtParam(double param, AcGePoint3d& p) const override;
  AcDb::Status getParamAtPoint(const AcGePoint3d& p, double& param) const override;
  AcDb::Status getDistAtParam(double param, double& dist) const override;
  AcDb::Status getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                 bool extend = false) const override;
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcDb::Status getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                      AcDbVoidPtrArray& curveSegments) const override;
  AcRxObject* clone() const override;

 private:
  AcGePoint3d start_, end_;
};

class AcDbCircle : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCircle)
  AcDbCircle() = default;
  AcDbCircle(const AcGePoint3d& center, double radius) : center_(center), radius_(radius) {}
  AcGePoint3d center() const { return center_; }
  double radius() const { return radius_; }
  AcDb::Status setCenter(const AcGePoint3d& c);
  AcDb::Status setRadius(double r);

  bool isClosed() const override { return true; }
  AcDb::Status getStartPoint(AcGePoint3d& p) const override;
  AcDb::Status getEndPoint(AcGePoint3d& p) const override;
  AcDb::Status getStartParam(double& param) const override;
  AcDb::Status getEndParam(double& param) const override;
  AcDb::Status getPointAtParam(double param, AcGePoint3d& p) const override;
  AcDb::Status getParamAtPoint(const AcGePoint3d& p, double& param) const override;
  AcDb::Status getDistAtParam(double param, double& dist) const override;
  AcDb::Status getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                 bool extend = false) const override;
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcDb::Status getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                      AcDbVoidPtrArray& curveSegments) const override;
  AcRxObject* clone() const override;

 private:
  AcGePoint3d center_;
  double radius_ = 0;
};

// Counter-clockwise from startAngle to endAngle (radians).
class AcDbArc : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbArc)
  AcDbArc() = default;
  AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
      : center_(center), radius_(radius), startAngle_(startAngle), endAngle_(endAngle) {}
  AcGePoint3d center() const { return center_; }
  double radius() const { return radius_; }
  double startAngle() const { return startAngle_; }
  double endAngle() const { return endAngle_; }
  AcDb::Status setCenter(const AcGePoint3d& c);
  AcDb::Status setRadius(double r);
  AcDb::Status setStartAngle(double a);
  AcDb::Status setEndAngle(double a);

  AcDb::Status getStartPoint(AcGePoint3d& p) const override;
  AcDb::Status getEndPoint(AcGePoint3d& p) const override;
  AcDb::Status getStartParam(double& param) const override;
  AcDb::Status getEndParam(double& param) const override;
  AcDb::Status getPointAtParam(double param, AcGePoint3d& p) const override;
  AcDb::Status getParamAtPoint(const AcGePoint3d& p, double& param) const override;
  AcDb::Status getDistAtParam(double param, double& dist) const override;
  AcDb::Status getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                 bool extend = false) const override;
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcDb::Status getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                      AcDbVoidPtrArray& curveSegments) const override;
  AcRxObject* clone() const override;

 private:
  AcGePoint3d center_;
  double radius_ = 0, startAngle_ = 0, endAngle_ = 0;
};

// Lightweight polyline: 2D vertices at one elevation; the bulge of a
// vertex is tan(included angle / 4) of the segment that starts there
// (0 straight, positive counter-clockwise).
class AcDbPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPolyline)
  AcDbPolyline() = default;
  unsigned int numVerts() const { return static_cast<unsigned>(verts_.size()); }
  AcDb::Status addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge = 0,
                           double startWidth = -1, double endWidth = -1);
  AcDb::Status removeVertexAt(unsigned int index);
  AcDb::Status getPointAt(unsigned int index, AcGePoint2d& pt) const;
  AcDb::Status getPointAt(unsigned int index, AcGePoint3d& pt) const;
  AcDb::Status getBulgeAt(unsigned int index, double& bulge) const;
  AcDb::Status setBulgeAt(unsigned int index, double bulge);
  AcDb::Status setPointAt(unsigned int index, const AcGePoint2d& pt);
  AcDb::Status getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
  double elevation() const { return elevation_; }
  AcDb::Status setElevation(double e);
  double constantWidth() const { return constantWidth_; }
  AcDb::Status setConstantWidth(double w);
  AcDb::Status setClosed(bool closed);
  bool isClosed() const override { return closed_; }
  // Number of segments: vertices - 1, or vertices when closed.
  unsigned int numSegments() const;

  AcDb::Status getStartPoint(AcGePoint3d& p) const override;
  AcDb::Status getEndPoint(AcGePoint3d& p) const override;
  AcDb::Status getStartParam(double& param) const override;
  AcDb::Status getEndParam(double& param) const override;
  AcDb::Status getPointAtParam(double param, AcGePoint3d& p) const override;
  AcDb::Status getParamAtPoint(const AcGePoint3d& p, double& param) const override;
  AcDb::Status getDistAtParam(double param, double& dist) const override;
  AcDb::Status getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                 bool extend = false) const override;
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcDb::Status getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                      AcDbVoidPtrArray& curveSegments) const override;
  AcRxObject* clone() const override;

  struct Vertex {
    AcGePoint2d point;
    double bulge = 0, startWidth = 0, endWidth = 0;
  };

 private:
  std::vector<Vertex> verts_;
  double elevation_ = 0, constantWidth_ = 0;
  bool closed_ = false;
};

class AcDbPoint : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPoint)
  AcDbPoint() = default;
  explicit AcDbPoint(const AcGePoint3d& p) : position_(p) {}
  AcGePoint3d position() const { return position_; }
  AcDb::Status setPosition(const AcGePoint3d& p);
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcRxObject* clone() const override;

 private:
  AcGePoint3d position_;
};

// Single-line text. The box used for picking and windows is the
// insertion point plus height by (bytes x 0.5 height) width, rotated;
// a GBK character (two bytes) is one height wide.
class AcDbText : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbText)
  AcDbText() = default;
  AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style = AcDbObjectId(),
           double height = 0, double rotation = 0);
  AcGePoint3d position() const { return position_; }
  AcDb::Status setPosition(const AcGePoint3d& p);
  AcGePoint3d alignmentPoint() const { return alignment_; }
  AcDb::Status setAlignmentPoint(const AcGePoint3d& p);
  // Horizontal mode (DXF group 72) and vertical mode (group 73).
  int horizontalMode() const { return hmode_; }
  int verticalMode() const { return vmode_; }
  AcDb::Status setHorizontalMode(int mode);
  AcDb::Status setVerticalMode(int mode);
  // The text; valid until the entity is closed or changed.
  const char* textString() const { return text_.c_str(); }
  AcDb::Status setTextString(const char* text);
  double height() const { return height_; }
  AcDb::Status setHeight(double h);
  double rotation() const { return rotation_; }
  AcDb::Status setRotation(double r);
  double widthFactor() const { return widthFactor_; }
  AcDb::Status setWidthFactor(double w);
  AcDbObjectId textStyle() const;
  AcDb::Status setTextStyle(AcDbObjectId style);
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcRxObject* clone() const override;

  // Host-internal: the four corners of the text box.
  void textBox(AcGePoint3d corners[4]) const;

 protected:
  void copyTextFrom(const AcDbText& other);

 private:
  std::string text_;
  AcGePoint3d position_, alignment_;
  double height_ = 2.5, rotation_ = 0, widthFactor_ = 1;
  AcDbStub* style_ = nullptr;
  std::int8_t hmode_ = 0, vmode_ = 0;
};

// Attribute of a block reference: a text with a tag. It belongs to its
// block reference (ownerId) and is not in the block's entity list.
class AcDbAttribute : public AcDbText {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAttribute)
  AcDbAttribute() = default;
  AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag,
                AcDbObjectId style = AcDbObjectId());
  const char* tag() const { return tag_.c_str(); }
  AcDb::Status setTag(const char* tag);
  bool isInvisible() const { return attInvisible_; }
  AcDb::Status setInvisible(bool invisible);
  AcRxObject* clone() const override;

 private:
  std::string tag_;
  bool attInvisible_ = false;
};

// Attribute definition inside a block definition.
class AcDbAttributeDefinition : public AcDbText {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAttributeDefinition)
  AcDbAttributeDefinition() = default;
  AcDbAttributeDefinition(const AcGePoint3d& position, const char* text, const char* tag,
                          const char* prompt, AcDbObjectId style = AcDbObjectId());
  const char* tag() const { return tag_.c_str(); }
  AcDb::Status setTag(const char* tag);
  const char* prompt() const { return prompt_.c_str(); }
  AcDb::Status setPrompt(const char* prompt);
  bool isInvisible() const { return attInvisible_; }
  AcDb::Status setInvisible(bool invisible);
  bool isConstant() const { return constant_; }
  AcDb::Status setConstant(bool constant);
  AcRxObject* clone() const override;

 private:
  std::string tag_, prompt_;
  bool attInvisible_ = false, constant_ = false;
};

// Multi-line text. contents() keeps the formatting codes as stored.
class AcDbMText : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbMText)
  AcDbMText() = default;
  AcGePoint3d location() const { return location_; }
  AcDb::Status setLocation(const AcGePoint3d& p);
  const char* contents() const { return contents_.c_str(); }
  AcDb::Status setContents(const char* text);
  double textHeight() const { return height_; }
  AcDb::Status setTextHeight(double h);
  double width() const { return width_; }
  AcDb::Status setWidth(double w);
  double rotation() const { return rotation_; }
  AcDb::Status setRotation(double r);
  // Attachment point 1..9 (top left .. bottom right), DXF group 71.
  int attachment() const { return attachment_; }
  AcDb::Status setAttachment(int a);
  AcDbObjectId textStyle() const;
  AcDb::Status setTextStyle(AcDbObjectId style);
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcRxObject* clone() const override;

 private:
  std::string contents_;
  AcGePoint3d location_;
  double height_ = 2.5, width_ = 0, rotation_ = 0;
  AcDbStub* style_ = nullptr;
  std::int8_t attachment_ = 1;
};

// Insertion of a block definition, with its own attributes.
class AcDbBlockReference : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockReference)
  AcDbBlockReference() = default;
  AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord);
  ~AcDbBlockReference() override;
  AcDbObjectId blockTableRecord() const;
  AcDb::Status setBlockTableRecord(AcDbObjectId id);
  AcGePoint3d position() const { return position_; }
  AcDb::Status setPosition(const AcGePoint3d& p);
  AcGeScale3d scaleFactors() const { return scale_; }
  AcDb::Status setScaleFactors(const AcGeScale3d& s);
  double rotation() const { return rotation_; }
  AcDb::Status setRotation(double r);
  // Block space to the reference's space: base point, scale, rotation, position.
  AcGeMatrix3d blockTransform() const;

  // Appends an attribute. For a reference in a database (open for write)
  // the attribute joins the database and comes back closed, with its id;
  // otherwise the reference owns it until it is appended itself.
  AcDb::Status appendAttribute(AcDbObjectId& attId, AcDbAttribute* attribute);
  AcDb::Status appendAttribute(AcDbAttribute* attribute) {
    AcDbObjectId ignored;
    return appendAttribute(ignored, attribute);
  }
  // Ids of the attributes, in order (empty while not in a database).
  AcDbObjectIdArray attributeIds() const;
  // Erasing a reference erases its attributes with it.
  AcDb::Status erase(bool erasing = true) override;

  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  // The copy refers to the same block and copies the attributes.
  AcRxObject* clone() const override;

  // Host-internal.
  std::vector<AcDbStub*> attributes_;
  std::vector<AcDbAttribute*> pendingAttributes_;

 private:
  AcGePoint3d position_;
  AcGeScale3d scale_;
  double rotation_ = 0;
  AcDbStub* block_ = nullptr;
};

// One corner of a region's boundary loop: the point, and the bulge of the
// edge that leaves it for the next corner (0 a line; otherwise the tangent
// of a quarter of the arc's sweep, positive counter-clockwise), as in a
// lightweight polyline. A loop is closed: its last edge returns to the first
// corner.
struct AcDbRegionVertex {
  double x = 0, y = 0, bulge = 0;
};
using AcDbRegionLoop = std::vector<AcDbRegionVertex>;

// A closed planar area in a plane parallel to XY, bounded by loops of lines
// and arcs. Its area is the sum of the loops' signed areas (outer loops
// counter-clockwise, holes clockwise), taken positive.
class AcDbRegion : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRegion)
  AcDbRegion() = default;
  ~AcDbRegion() override;
  // Regions from the faces that the curves (AcDbCurve pointers, not owned:
  // lines, arcs, circles, polylines) enclose once they are joined where their
  // ends meet: one region for each bounded face, in the order of the first
  // curve that bounds it; curves that bound no face are left out. New regions
  // are appended to regions; the caller owns them. No region at all is
  // kInvalidInput.
  static AcDb::Status createFromCurves(const AcDbVoidPtrArray& curveSegments,
                                       AcDbVoidPtrArray& regions);
  AcDb::Status getArea(double& area) const;
  AcDb::Status getPerimeter(double& perimeter) const;
  const std::vector<AcDbRegionLoop>& loops() const { return loops_; }
  // New loops replace the shape, and with it any modeler data kept from a drawing.
  void setLoops(std::vector<AcDbRegionLoop> loops) {
    loops_ = std::move(loops);
    keptData_.clear();
  }
  // The z of the region's plane.
  double elevation() const { return elevation_; }
  void setElevation(double z) { elevation_ = z; }
  // Modeler data as read from a drawing (the lines of the file's data
  // groups), written back unchanged for as long as the shape is not changed:
  // it may hold more than the loops say. A region whose data the host could
  // not read has no loops, only this; it cannot be moved (transformBy says
  // kNotApplicable). Empty for regions made here.
  const std::vector<std::string>& keptData() const { return keptData_; }
  void setKeptData(std::vector<std::string> lines) { keptData_ = std::move(lines); }
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcRxObject* clone() const override;

 private:
  std::vector<AcDbRegionLoop> loops_;
  double elevation_ = 0;
  std::vector<std::string> keptData_;
};

// An entity of a kind the host does not model (an ellipse, a spline, a hatch, a solid, a 3-D
// face, a construction line or ray), kept as the drawing file gave it: its type name and its
// groups, each a code and the value's text. Its runtime class is one of its own per type
// (AcDbEllipse, AcDbSpline, AcDbHatch, ...), derived from this one. Layer, colour, linetype,
// lineweight and visibility work as on any entity; its extents and what picks find come from
// its outline (a construction line or ray: its base point). It cannot be moved: transformBy
// says kNotApplicable.
class AcDbKeptEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbKeptEntity)
  using Groups = std::vector<std::pair<int, std::string>>;
  AcDbKeptEntity(const char* dxfType, Groups groups);
  // The drawing file's type name ("ELLIPSE").
  const char* dxfType() const { return type_.c_str(); }
  const Groups& groups() const { return groups_; }
  AcDb::Status getGeomExtents(AcDbExtents& extents) const override;
  AcDb::Status transformBy(const AcGeMatrix3d& xform) override;
  AcRxObject* clone() const override;

 private:
  std::string type_;
  Groups groups_;
  AcRxClass* class_;
};

#pragma GCC visibility pop
