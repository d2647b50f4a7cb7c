// The module's resources: dialog templates 200 (fan selection) and 202 (model
// list), the preview control's pop-up menu 205. The host finds them through the
// module's instance handle.
#include "res/resource.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace {

using namespace winplat;

constexpr DWORD kDialogStyle = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL;
constexpr DWORD kSunken = SS_SUNKEN | WS_GROUP;

// Fan selection: options and duty point on top, the model combos below them,
// the two grids on the left, the preview with its view, hand and angle choices
// on the right, and the action buttons along the bottom.
DialogTemplate FanDialog() {
  DialogTemplate d;
  d.id = IDD_FAN_DIALOG;
  d.caption = L"风机选型布置";
  d.fontFace = L"宋体";
  d.pointSize = 9;
  d.style = kDialogStyle;
  d.cx = 358;
  d.cy = 315;
  d.controls = {
      groupBox(L"选项", IDC_STATIC_LABEL, 7, 4, 108, 44),
      autoRadioButton(L"根据参数自动选择", IDC_RADIO_AUTOSELECT, 14, 16, 96, 10, WS_GROUP),
      autoRadioButton(L"浏览所有风机型号", IDC_RADIO_BROWSEALL, 14, 31, 96, 10),
      groupBox(L"参数选型", IDC_STATIC_LABEL, 121, 4, 230, 44),
      lText(L"大气压力Pa:", IDC_STATIC_LABEL, 128, 17, 48, 8),
      editText(IDC_EDIT_ATMPRESSURE, 178, 15, 58, 12, ES_AUTOHSCROLL | WS_DISABLED | WS_GROUP),
      lText(L"空气温度℃:", IDC_STATIC_LABEL, 242, 17, 44, 8),
      editText(IDC_EDIT_AIRTEMP, 288, 15, 56, 12, ES_AUTOHSCROLL | WS_DISABLED),
      lText(L"风量m^3/h:", IDC_STATIC_LABEL, 128, 32, 48, 8),
      editText(IDC_EDIT_FLUX, 178, 30, 58, 12, ES_AUTOHSCROLL | WS_DISABLED),
      lText(L"设计全压Pa:", IDC_STATIC_LABEL, 242, 32, 44, 8),
      editText(IDC_EDIT_ALLPRESS, 288, 30, 56, 12, ES_AUTOHSCROLL | WS_DISABLED),
      groupBox(L"风机型号:", IDC_STATIC_LABEL, 7, 52, 344, 44),
      lText(L"型  号:", IDC_STATIC_LABEL, 14, 65, 38, 8),
      comboBox(IDC_COMBO_BIGMODEL, 54, 63, 112, 120, kList | CBS_SORT),
      lText(L"机  号:", IDC_STATIC_LABEL, 186, 65, 38, 8),
      comboBox(IDC_COMBO_FANNO, 226, 63, 118, 120, kList | CBS_SORT),
      lText(L"传动方式:", IDC_STATIC_LABEL, 14, 80, 38, 8),
      comboBox(IDC_COMBO_DRIVEMODE, 54, 78, 112, 120, kList | CBS_SORT),
      lText(L"转速r/min:", IDC_STATIC_LABEL, 186, 80, 38, 8),
      comboBox(IDC_COMBO_SPEED, 226, 78, 118, 120, kList | CBS_SORT),
      groupBox(L"性能参数:", IDC_STATIC_LABEL, 7, 100, 212, 102),
      lText(L"", IDC_STATIC_PARAM, 13, 111, 200, 85, kSunken),
      groupBox(L"附件列表:", IDC_STATIC_LABEL, 7, 204, 212, 86),
      lText(L"", IDC_STATIC_ACCESSORY, 13, 215, 200, 69, kSunken),
      groupBox(L"图示:", IDC_STATIC_LABEL, 225, 100, 126, 190),
      lText(L"", IDC_STATIC_PREVIEW, 231, 111, 114, 100, kSunken),
      autoRadioButton(L"正视", IDC_RADIO_FRONTVIEW, 233, 217, 34, 10, WS_GROUP),
      autoRadioButton(L"侧视", IDC_RADIO_SIDEVIEW, 271, 217, 34, 10),
      autoRadioButton(L"俯视", IDC_RADIO_TOPVIEW, 309, 217, 34, 10),
      lText(L"旋  向:", IDC_STATIC_LABEL, 233, 234, 34, 8),
      comboBox(IDC_COMBO_HAND, 269, 232, 76, 60, kList | WS_GROUP, {L"左", L"右"}),
      lText(L"出口角度:", IDC_STATIC_LABEL, 233, 251, 34, 8),
      comboBox(IDC_COMBO_ANGLE, 269, 249, 76, 100, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL),
      pushButton(L"添加", IDC_BUTTON_ADDDRAWING, 233, 270, 54, 14),
      pushButton(L"删除", IDC_BUTTON_DELETEDRAWING, 291, 270, 54, 14),
      pushButton(L"删除行(性能)", IDC_BUTTON_DELETEPARAMROW, 7, 296, 62, 14),
      pushButton(L"删除行(附件)", IDC_BUTTON_DELETEACCESSORYROW, 73, 296, 62, 14),
      pushButton(L"修改类型", IDC_BUTTON_MODIFYTYPE, 139, 296, 50, 14),
      pushButton(L"布置", IDC_BUTTON_PLACEFAN, 233, 296, 54, 14),
      defPushButton(L"退出", IDOK, 297, 296, 54, 14),
  };
  return d;
}

// Model list: the grid over its placeholder and four buttons below it.
DialogTemplate StyleDialog() {
  DialogTemplate d;
  d.id = IDD_STYLE_DIALOG;
  d.caption = L"离心式风机型号列表";
  d.fontFace = L"宋体";
  d.pointSize = 9;
  d.style = kDialogStyle;
  d.cx = 265;
  d.cy = 213;
  d.controls = {
      lText(L"Static", IDC_STATIC_MODELGRID, 7, 7, 249, 177, SS_SUNKEN),
      pushButton(L"增加行", IDC_BUTTON_ADDROW, 23, 192, 50, 14),
      pushButton(L"删除行", IDC_BUTTON_DELETEROW, 77, 192, 50, 14),
      defPushButton(L"确定", IDOK, 131, 192, 50, 14),
      pushButton(L"取消", IDCANCEL, 185, 192, 50, 14),
  };
  return d;
}

MenuTemplate PreviewMenu() {
  MenuItemTemplate popup;
  popup.flags = MF_POPUP;
  popup.text = L"Preview";
  popup.popup = {
      {ID_PREVIEW_ZOOM, L"实时缩放", MF_STRING, {}},
      {ID_PREVIEW_ZOOMWINDOW, L"窗口放大", MF_STRING, {}},
      {ID_PREVIEW_PAN, L"平移视图", MF_STRING, {}},
      {ID_PREVIEW_ORBIT, L"旋转视图", MF_STRING, {}},
      {0, L"", MF_SEPARATOR, {}},
      {ID_PREVIEW_INITIAL, L"初始视图", MF_STRING | MFS_DEFAULT, {}},
  };
  MenuTemplate m;
  m.id = IDR_PREVIEW_MENU;
  m.items = {popup};
  return m;
}

}  // namespace

extern "C" const winplat::ResourceTable* fancadModuleResources() {
  static const ResourceTable table{{FanDialog(), StyleDialog()}, {PreviewMenu()}, {}};
  return &table;
}
