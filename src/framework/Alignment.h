#pragma once
// Where text sits in a control: horizontally (TAlignment) and vertically (TTextLayout).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
