object PoolTemplate: TPoolTemplate
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Banner: TPanel
    Left = 0
    Top = 0
    Width = 497
    Height = 58
    BevelOuter = bvNone
    Color = clWindow
    TabOrder = 99
    object BannerTitle: TLabel
      Left = 20
      Top = 12
      Width = 440
      Height = 14
      Caption = 'License Agreement'
      Font.Name = 'Tahoma'
      Font.Height = -11
      Font.Style = [fsBold]
      ParentFont = False
    end
    object BannerText: TLabel
      Left = 32
      Top = 30
      Width = 440
      Height = 24
      Caption = 'Please read the license agreement below. You must accept it to install $TITLE$.'
      WordWrap = True
    end
  end
  object BannerLine: TBevel
    Left = 0
    Top = 58
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object LicenseText: TMemo
    Tag = 2
    Left = 24
    Top = 76
    Width = 449
    Height = 168
    ScrollBars = ssVertical
    ReadOnly = True
    Color = clWindow
    TabOrder = 0
  end
  object Accept: TRzRadioButton
    Hint = 'LICENSEACCEPTED'
    Left = 24
    Top = 256
    Width = 449
    Height = 17
    Caption = 'I &accept the terms of the license agreement'
    TabOrder = 1
  end
  object Decline: TRzRadioButton
    Hint = 'LICENSEDECLINED'
    Left = 24
    Top = 280
    Width = 449
    Height = 17
    Caption = 'I &do not accept the terms of the license agreement'
    Checked = True
    TabOrder = 2
  end
  object ButtonLine: TBevel
    Left = 0
    Top = 312
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object Back: TButton
    Tag = 2
    Left = 248
    Top = 324
    Width = 75
    Height = 25
    Caption = '< &Back'
    Enabled = True
    TabOrder = 90
  end
  object Next: TButton
    Tag = 1
    Left = 323
    Top = 324
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    Enabled = False
    TabOrder = 91
  end
  object Cancel: TButton
    Tag = 3
    Left = 410
    Top = 324
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Cancel = True
    Enabled = True
    TabOrder = 92
  end
end
