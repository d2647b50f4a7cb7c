<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>HostWindow</name>
    <message>
        <source>Save changes to %1?</source>
        <translation>是否保存对 %1 的修改?</translation>
    </message>
    <message>
        <source>Layers</source>
        <translation>图层</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>特性</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>新建(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>打开(&amp;O)...</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>最近打开(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>另存为(&amp;A)...</translation>
    </message>
    <message>
        <source>Save drawing as</source>
        <translation>图形另存为</translation>
    </message>
    <message>
        <source>Drawings (*.dwg *.dxf)</source>
        <translation>图形 (*.dwg *.dxf)</translation>
    </message>
    <message>
        <source>&amp;Plot...</source>
        <translation>打印(&amp;P)...</translation>
    </message>
    <message>
        <source>&amp;Load Module...</source>
        <translation>加载模块(&amp;L)...</translation>
    </message>
    <message>
        <source>Load module</source>
        <translation>加载模块</translation>
    </message>
    <message>
        <source>Modules (*.so);;All files (*)</source>
        <translation>模块 (*.so);;所有文件 (*)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>F&amp;an</source>
        <translation>风机(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Fan Selection (FAN) 风机选型布置</source>
        <translation>风机选型布置 (FAN)(&amp;F)</translation>
    </message>
    <message>
        <source>FAN 风机选型</source>
        <translation>FAN 风机选型</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>Zoom &amp;Extents</source>
        <translation>范围缩放(&amp;E)</translation>
    </message>
    <message>
        <source>Zoom Extents</source>
        <translation>范围缩放</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>放大(&amp;I)</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>缩小(&amp;O)</translation>
    </message>
    <message>
        <source>Object &amp;Snap</source>
        <translation>对象捕捉(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Ortho</source>
        <translation>正交(&amp;O)</translation>
    </message>
    <message>
        <source>Main</source>
        <translation>标准</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>撤销(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>重做(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Erase	Del</source>
        <translation>删除(&amp;E)	Del</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>移动(&amp;M)</translation>
    </message>
    <message>
        <source>R&amp;otate</source>
        <translation>旋转(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>Open drawing</source>
        <translation>打开图形</translation>
    </message>
    <message>
        <source>Drawings (*.dwg *.dxf);;All files (*)</source>
        <translation>图形 (*.dwg *.dxf);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Plot to PDF</source>
        <translation>打印到 PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF 文件 (*.pdf)</translation>
    </message>
    <message>
        <source>&amp;Enter</source>
        <translation>确认(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>取消(&amp;C)</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>移动</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>旋转</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>&amp;Repeat %1</source>
        <translation>重复 %1(&amp;R)</translation>
    </message>
    <message>
        <source>Recent &amp;Commands</source>
        <translation>最近的命令(&amp;C)</translation>
    </message>
    <message>
        <source>Finish or cancel (Esc) the command that is running, then close.</source>
        <translation>请先完成或取消(Esc)正在执行的命令,再关闭。</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>设备表</translation>
    </message>
    <message>
        <source>Write the schedule</source>
        <translation>输出设备表</translation>
    </message>
    <message>
        <source>Excel workbooks (*.xlsx)</source>
        <translation>Excel 工作簿 (*.xlsx)</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>E&amp;dit Fan</source>
        <translation>修改风机(&amp;D)</translation>
    </message>
    <message>
        <source>Data S&amp;heet...</source>
        <translation>数据表(&amp;H)...</translation>
    </message>
    <message>
        <source>Show in &amp;Schedule</source>
        <translation>在设备表中显示(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>特性(&amp;P)</translation>
    </message>
</context>
<context>
    <name>PlotDialog</name>
    <message>
        <source>Scale to &amp;fit</source>
        <translation>布满图纸(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;At 1:</source>
        <translation>比例 1:(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Monochrome</source>
        <translation>单色(&amp;M)</translation>
    </message>
    <message>
        <source>Plot</source>
        <translation>打印</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>纵向</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>横向</translation>
    </message>
    <message>
        <source>&amp;Paper:</source>
        <translation>图纸(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Orientation:</source>
        <translation>方向(&amp;O):</translation>
    </message>
    <message>
        <source>Scale:</source>
        <translation>比例:</translation>
    </message>
    <message>
        <source>&amp;Plot...</source>
        <translation>打印(&amp;P)...</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>On</source>
        <translation>开</translation>
    </message>
    <message>
        <source>Frozen</source>
        <translation>冻结</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>Click: ✓ makes a layer current, On and Frozen switch, Colour changes; each change can be undone</source>
        <translation>单击:✓ 置为当前图层,开、冻结切换,颜色修改;每次修改都可撤销</translation>
    </message>
    <message>
        <source>Other...</source>
        <translation>其他...</translation>
    </message>
    <message>
        <source>Layer colour</source>
        <translation>图层颜色</translation>
    </message>
    <message>
        <source>Colour index (1-255):</source>
        <translation>颜色号 (1-255):</translation>
    </message>
    <message>
        <source>Property</source>
        <translation>特性</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Nothing selected</source>
        <translation>未选择对象</translation>
    </message>
    <message>
        <source>General</source>
        <translation>常规</translation>
    </message>
    <message>
        <source>General (%1 selected)</source>
        <translation>常规 (选中 %1 个)</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Layer</source>
        <translation>图层</translation>
    </message>
    <message>
        <source>Block reference</source>
        <translation>块参照</translation>
    </message>
    <message>
        <source>Block</source>
        <translation>块</translation>
    </message>
    <message>
        <source>Position X</source>
        <translation>位置 X</translation>
    </message>
    <message>
        <source>Position Y</source>
        <translation>位置 Y</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>旋转</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>比例</translation>
    </message>
    <message>
        <source>Extended data</source>
        <translation>扩展数据</translation>
    </message>
    <message>
        <source>Fan</source>
        <translation>风机</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>编号</translation>
    </message>
    <message>
        <source>none (placed before tags)</source>
        <translation>无 (编号前布置)</translation>
    </message>
    <message>
        <source>Series</source>
        <translation>系列</translation>
    </message>
    <message>
        <source>Fan number</source>
        <translation>机号</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>传动方式</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>转速</translation>
    </message>
    <message>
        <source>Duty</source>
        <translation>设计工况</translation>
    </message>
    <message>
        <source>Operating point</source>
        <translation>运行工况点</translation>
    </message>
    <message>
        <source>Efficiency</source>
        <translation>效率</translation>
    </message>
    <message>
        <source>Shaft power</source>
        <translation>轴功率</translation>
    </message>
    <message>
        <source>Motor power</source>
        <translation>电机功率</translation>
    </message>
</context>
<context>
    <name>SchedulePanel</name>
    <message>
        <source>CSV...</source>
        <translation>CSV...</translation>
    </message>
    <message>
        <source>XLSX...</source>
        <translation>XLSX...</translation>
    </message>
    <message>
        <source>Write the schedule as CSV (FANSCHED Csv)</source>
        <translation>将设备表写为 CSV (FANSCHED Csv)</translation>
    </message>
    <message>
        <source>Write the schedule as an Excel workbook (FANSCHED Xlsx)</source>
        <translation>将设备表写为 Excel 工作簿 (FANSCHED Xlsx)</translation>
    </message>
    <message>
        <source>The schedule comes from the fan module, which is not loaded.</source>
        <translation>设备表由风机模块生成,该模块未加载。</translation>
    </message>
    <message numerus="yes">
        <source>%n fan(s)</source>
        <translation>
            <numerusform>%n 台风机</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TableChoiceWindow</name>
    <message>
        <source>min</source>
        <translation>下限</translation>
    </message>
    <message>
        <source>max</source>
        <translation>上限</translation>
    </message>
    <message>
        <source>%1 of %2 rows</source>
        <translation>显示 %1 / %2 行</translation>
    </message>
    <message>
        <source>Written to %1</source>
        <translation>已写入 %1</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>无法写入 %1: %2</translation>
    </message>
</context>
</TS>
