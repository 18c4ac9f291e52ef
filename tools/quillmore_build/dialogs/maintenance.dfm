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
      Caption = 'Change, Repair or Remove'
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
      Caption = 'Choose what to do with $TITLE$, which is installed on this computer.'
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
  object Modify: TRzRadioButton
    Hint = 'MODIFY'
    Left = 24
    Top = 84
    Width = 449
    Height = 17
    Caption = '&Change'
    Font.Name = 'Tahoma'
    Font.Height = -11
    Font.Style = [fsBold]
    ParentFont = False
    Checked = True
    TabOrder = 0
  end
  object ModifyText: TLabel
    Left = 44
    Top = 104
    Width = 429
    Height = 28
    AutoSize = False
    Caption = 'Add or remove features of $TITLE$.'
    WordWrap = True
  end
  object Repair: TRzRadioButton
    Hint = 'REPAIR'
    Left = 24
    Top = 144
    Width = 449
    Height = 17
    Caption = '&Repair'
    Font.Name = 'Tahoma'
    Font.Height = -11
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 1
  end
  object RepairText: TLabel
    Left = 44
    Top = 164
    Width = 429
    Height = 28
    AutoSize = False
    Caption = 'Put back missing or damaged files, shortcuts and registry entries of $TITLE$.'
    WordWrap = True
  end
  object Remove: TRzRadioButton
    Hint = 'REMOVE'
    Left = 24
    Top = 204
    Width = 449
    Height = 17
    Caption = 'Re&move'
    Font.Name = 'Tahoma'
    Font.Height = -11
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 2
  end
  object RemoveText: TLabel
    Left = 44
    Top = 224
    Width = 429
    Height = 28
    AutoSize = False
    Caption = 'Remove $TITLE$ from this computer.'
    WordWrap = True
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
    Enabled = False
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
    Enabled = True
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
