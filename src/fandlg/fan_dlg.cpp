// CFanDlg shell: defaults, data exchange, initialisation order, the grids'
// creation and the message map.
#include "fandlg/fan_dlg.h"

#include "drawings/preview_settings.h"
#include "fanperf/fan_laws.h"
#include "res/resource.h"

namespace {

constexpr DWORD kGridStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;

}  // namespace

CFanDlg::CFanDlg(CWnd* pParent)
    : CAcUiDialog(IDD_FAN_DIALOG, pParent),
      m_GridParam(0, 0, 0, 0),
      m_GridAccessory(0, 0, 0, 0),
      m_pPreviewDb(nullptr),
      m_strHand(L"左"),
      m_dAtmPressure(fanperf::kStandardAirPressure),
      m_dAirTemp(fanperf::kStandardAirCelsius),
      m_dFlux(1131.0),
      m_dAllPress(990.0),
      m_nSelectMode(kBrowseAll),
      m_nView(kFrontView),
      m_strAngle(L"0") {}

// The preview database belongs to the preview control; the dialog does not free it.
CFanDlg::~CFanDlg() = default;

void CFanDlg::DoDataExchange(CDataExchange* pDX) {
  CAcUiDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_COMBO_HAND, m_cbHand);
  DDX_Control(pDX, IDC_COMBO_ANGLE, m_cbAngle);
  DDX_Control(pDX, IDC_COMBO_SPEED, m_cbSpeed);
  DDX_Control(pDX, IDC_COMBO_DRIVEMODE, m_cbDriveMode);
  DDX_Control(pDX, IDC_COMBO_FANNO, m_cbFanNo);
  DDX_Control(pDX, IDC_COMBO_BIGMODEL, m_cbBigModel);
  DDX_Text(pDX, IDC_EDIT_ATMPRESSURE, m_dAtmPressure);
  DDX_Text(pDX, IDC_EDIT_AIRTEMP, m_dAirTemp);
  DDX_Text(pDX, IDC_EDIT_FLUX, m_dFlux);
  DDX_Text(pDX, IDC_EDIT_ALLPRESS, m_dAllPress);
  DDX_Radio(pDX, IDC_RADIO_AUTOSELECT, m_nSelectMode);
  DDX_Radio(pDX, IDC_RADIO_FRONTVIEW, m_nView);
  DDX_Control(pDX, IDC_STATIC_PREVIEW, m_Preview);
  DDX_CBString(pDX, IDC_COMBO_ANGLE, m_strAngle);
}

BOOL CFanDlg::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  m_FanDb.OpenFanDatabase();
  CreateGrids();
  FillCascade();
  m_cbHand.SetCurSel(0);
  UpdateData(TRUE);
  const DWORD dwStyle = kPreviewCtrlStyle;
  m_Preview.SetCtrlStyle(dwStyle);
  RefreshPreview(TRUE);
  if (m_cbAngle.GetCurSel() != CB_ERR) m_cbAngle.GetLBText(m_cbAngle.GetCurSel(), m_strAngle);
  RefreshPreview(FALSE);
  return TRUE;
}

void CFanDlg::OnOK() { CAcUiDialog::OnOK(); }

void CFanDlg::CreateGrids() {
  CRect rect;
  GetDlgItem(IDC_STATIC_ACCESSORY)->GetWindowRect(&rect);
  ScreenToClient(&rect);
  m_GridAccessory.Create(rect, this, IDC_GRID_ACCESSORY, kGridStyle);
  m_GridAccessory.Refresh();

  GetDlgItem(IDC_STATIC_PARAM)->GetWindowRect(&rect);
  ScreenToClient(&rect);
  m_GridParam.Create(rect, this, IDC_GRID_PARAM, kGridStyle);
  m_GridParam.SetFixedRowCount(1);
  m_GridParam.Refresh();
}

// clang-format off
BEGIN_MESSAGE_MAP(CFanDlg, CAcUiDialog)
  ON_CBN_SELCHANGE(IDC_COMBO_BIGMODEL, &CFanDlg::OnBigModelSelChange)
  ON_CBN_SELCHANGE(IDC_COMBO_FANNO, &CFanDlg::OnFanNoSelChange)
  ON_CBN_SELCHANGE(IDC_COMBO_DRIVEMODE, &CFanDlg::OnDriveModeSelChange)
  ON_CBN_SELCHANGE(IDC_COMBO_SPEED, &CFanDlg::OnSpeedSelChange)
  ON_BN_CLICKED(IDC_BUTTON_MODIFYTYPE, &CFanDlg::OnModifyType)
  ON_NOTIFY(NM_CLICK, IDC_GRID_PARAM, &CFanDlg::OnParamGridClick)
  ON_NOTIFY(NM_CLICK, IDC_GRID_ACCESSORY, &CFanDlg::OnAccessoryGridClick)
  ON_BN_CLICKED(IDC_RADIO_AUTOSELECT, &CFanDlg::OnAutoSelect)
  ON_BN_CLICKED(IDC_RADIO_BROWSEALL, &CFanDlg::OnBrowseAll)
  ON_BN_CLICKED(IDC_BUTTON_DELETEPARAMROW, &CFanDlg::OnDeleteParamRow)
  ON_BN_CLICKED(IDC_BUTTON_DELETEACCESSORYROW, &CFanDlg::OnDeleteAccessoryRow)
  ON_NOTIFY(GVN_ENDLABELEDIT, IDC_GRID_PARAM, &CFanDlg::OnParamGridEndEdit)
  ON_NOTIFY(GVN_ENDLABELEDIT, IDC_GRID_ACCESSORY, &CFanDlg::OnAccessoryGridEndEdit)
  ON_BN_CLICKED(IDC_RADIO_FRONTVIEW, &CFanDlg::OnFrontView)
  ON_BN_CLICKED(IDC_RADIO_SIDEVIEW, &CFanDlg::OnSideView)
  ON_BN_CLICKED(IDC_RADIO_TOPVIEW, &CFanDlg::OnTopView)
  ON_CBN_SELCHANGE(IDC_COMBO_HAND, &CFanDlg::OnHandSelChange)
  ON_CBN_EDITCHANGE(IDC_COMBO_HAND, &CFanDlg::OnHandEditChange)
  ON_CBN_EDITCHANGE(IDC_COMBO_ANGLE, &CFanDlg::OnAngleEditChange)
  ON_CBN_SELCHANGE(IDC_COMBO_ANGLE, &CFanDlg::OnAngleSelChange)
  ON_CBN_SELENDOK(IDC_COMBO_ANGLE, &CFanDlg::OnAngleSelEndOk)
  ON_BN_CLICKED(IDC_BUTTON_ADDDRAWING, &CFanDlg::OnAddDrawing)
  ON_BN_CLICKED(IDC_BUTTON_DELETEDRAWING, &CFanDlg::OnDeleteDrawing)
  ON_BN_CLICKED(IDC_BUTTON_PLACEFAN, &CFanDlg::OnPlaceFan)
  ON_WM_DESTROY()
END_MESSAGE_MAP()
// clang-format on
