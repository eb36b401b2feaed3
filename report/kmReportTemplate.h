#pragma once
// Report templates (.fr3): XML in UTF-8.
//
//   <TfrxReport>
//     <TfrxDataPage Name="Data" Width="1000" Height="1000"/>
//     <TfrxReportPage Name="Page1" PaperSize="9" Orientation="poPortrait"
//                     LeftMargin="10" TopMargin="10" RightMargin="10" BottomMargin="10"
//                     Color="clWhite" Frame.Typ="ftLeft,ftTop" Frame.Width="1" BackPicture="89504E47...">
//       <TfrxMemoView Name="Memo1" Left="10" Top="20" Width="200" Height="18"
//                     Text="Hello" Font.Name="Arial" Font.Height="-13" Font.Style="fsBold"
//                     HAlign="haCenter" Frame.Typ="15" Frame.Width="0.5" Color="#FFFF00"/>
//       <TfrxMasterData Name="Band1" Left="0" Top="100" Width="700" Height="40">
//         <TfrxShapeView Name="Shape1" Left="5" Top="5" Width="50" Height="30" Shape="skEllipse"/>
//       </TfrxMasterData>
//     </TfrxReportPage>
//   </TfrxReport>
//
// Elements. The root is TfrxReport. Its TfrxDataPage (Width, Height; not
// printed) and TfrxReportPage children are the pages in order. A report page
// holds views and bands; a band (TfrxBand, TfrxReportTitle, TfrxPageHeader,
// TfrxMasterData, TfrxPageFooter, TfrxReportSummary) holds views. Views:
// TfrxMemoView, TfrxRichView, TfrxPictureView, TfrxLineView, TfrxShapeView.
// Elements and attributes that are not listed here are ignored.
//
// Attributes.
// - Every object: Name (optional), Left, Top, Width, Height (required; report
//   units, pixels at 96 dots per inch; Left and Top relative to the parent,
//   which for objects on a page is the sheet's top-left corner), Visible.
// - Every view: Color (fill; default clNone, transparent), Frame.Typ (sides:
//   "ftLeft,ftRight,ftTop,ftBottom", optionally in brackets, or their bit mask
//   1, 2, 4, 8), Frame.Width (report units, default 1; 0 is a one-pixel
//   line), Frame.Color, Frame.Style (fsSolid, fsDash, fsDot, fsDashDot,
//   fsDashDotDot, fsDouble).
// - TfrxMemoView: Text, Font.Name, Font.Height (pixels at 96 dots per inch,
//   negative for the character height) or Font.Size (points), Font.Style
//   ("fsBold,fsItalic,fsUnderline,fsStrikeOut" or a bit mask), Font.Color,
//   Font.Charset, HAlign (haLeft, haRight, haCenter, haBlock), VAlign (vaTop,
//   vaBottom, vaCenter), GapX (default 2), GapY (default 1), WordWrap.
// - TfrxRichView: RichText (RTF; characters outside ASCII are stored in
//   Windows-1252), GapX, GapY.
// - TfrxPictureView: Picture (hexadecimal bytes of a BMP, PNG or JPEG file or
//   of an enhanced metafile; white space allowed), drawn stretched over the box.
// - TfrxLineView: a line from (Left, Top) to (Left + Width, Top + Height)
//   drawn with the frame's width, colour and style; Width or Height may be 0.
// - TfrxShapeView: Shape (skRectangle, skRoundRectangle, skEllipse), Curve.
// - TfrxReportPage: PaperSize (a paper code: 1 Letter, 5 Legal, 8 A3, 9 A4,
//   11 A5; 256 or absent with PaperWidth and PaperHeight), PaperWidth and
//   PaperHeight (millimetres; they override the code's size), Orientation
//   (poPortrait, poLandscape; landscape swaps width and height), LeftMargin,
//   TopMargin, RightMargin, BottomMargin (millimetres, default 10), Color,
//   Frame.*, BackPicture (as Picture).
//
// Values. Numbers are decimal with "." whatever the locale. Booleans are
// True/False or 1/0. Colours are a decimal TColor (negative values are the
// 32-bit patterns of system colours), "#RRGGBB", or a colour name (clBlack,
// clWhite, clRed, ..., clNone, clBtnFace, clWindow, clWindowText).
//
// Errors. Malformed XML, a root that is not TfrxReport, a missing required
// attribute, or a value that cannot be (not a number, not finite, negative
// size, out of range, unknown enumerator, bad picture data) throw
// EfrxTemplateError naming the source and the line.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kmReportObjects.h"

namespace km {

// The pages of a template in document order.
std::vector<std::unique_ptr<TfrxPage>> ReadReportTemplate(std::string_view xml, const std::string& source);

}  // namespace km
