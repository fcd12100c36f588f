' The code of the system workbook's dialog (the form with the list ltbCJB),
' to paste into the form's code window: the dialog keeps one tavo.zupo for
' its whole life and forwards every button and list event to it by name.
Option Explicit

Private engine As Object

Private Sub UserForm_Initialize()
    Set engine = CreateObject("tavo.zupo")
    Forward "UFInitialize"
End Sub

Private Sub UserForm_Terminate()
    Set engine = Nothing
End Sub

' The event's name goes to the engine unchanged; the score bands also take
' the settings sheet they read.
Private Sub Forward(ByVal eventName As String, Optional ByVal settingsSheet As String = "")
    Dim flag As String
    Dim csb As String
    flag = eventName
    csb = settingsSheet
    engine.MyFunClick Application, Me, flag, csb
End Sub

' The score bands read the settings sheet the teacher is on, or the
' three-line one.
Private Function SettingsSheetName() As String
    SettingsSheetName = ThisWorkbook.ActiveSheet.Name
    If Right$(SettingsSheetName, 1) <> ChrW(&H7248) Then SettingsSheetName = ChrW(&H4E09) & ChrW(&H7EBF) & ChrW(&H7248)
End Function

Private Sub ltbCJB_Change()
    Forward "ltbCJBChange"
End Sub

Private Sub cmdCJ_Click()
    Forward "cmdCJ_Click", SettingsSheetName()
End Sub

Private Sub cmdSanXianSZ_Click()
    Forward "cmdSanXianSZ_Click"
End Sub

Private Sub cmdSanXianTJ_Click()
    Forward "cmdSanXianTJ_Click"
End Sub

Private Sub cmdTwoXianSZ_Click()
    Forward "cmdTwoXianSZ_Click"
End Sub

Private Sub cmdTwoXianTJ_Click()
    Forward "cmdTwoXianTJ_Click"
End Sub

Private Sub cmdSiLvSZ_Click()
    Forward "cmdSiLvSZ_Click"
End Sub

Private Sub cmdSiLvTJ_Click()
    Forward "cmdSiLvTJ_Click"
End Sub

Private Sub cmdFuFenSZ_Click()
    Forward "cmdFuFenSZ_Click"
End Sub

Private Sub cmdFuFenTJ_Click()
    Forward "cmdFuFenTJ_Click"
End Sub

Private Sub cmdTuBiaoSZ_Click()
    Forward "cmdTuBiaoSZ_Click"
End Sub

Private Sub cmdTuBiaoTJ_Click()
    Forward "cmdTuBiaoTJ_Click"
End Sub

Private Sub cmdHelp_Click()
    Forward "MyHelp"
End Sub
