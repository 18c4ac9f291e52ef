object PoolTemplate1: TPoolTemplate
  Left = 250
  Top = 180
  BorderStyle = bsDialog
  Caption = 'Welcome to the $PRODUCTTITLE$ Setup'
  ClientHeight = 181
  ClientWidth = 462
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 12
    Width = 430
    Height = 39
    Anchors = [akLeft, akTop, akRight]
    AutoSize = False
    Caption = 
      'This wizard installs $PRODUCTTITLE$ on your computer.'#13#10'Click Ne' +
      'xt to continue.'
    WordWrap = True
  end
  object Button1: TButton
    Tag = 1
    Left = 288
    Top = 148
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 0
  end
  object Button2: TButton
    Tag = 3
    Left = 376
    Top = 148
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 1
  end
  object cmpFormDesigner: TRFDesigner
    ClearBeforeLoad = False
    Left = 8
    Top = 148
  end
end
