<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>CtrlInfo</name>
    <message>
        <source>自动提升</source>
        <translation>Auto-Raise</translation>
    </message>
    <message>
        <source>手动提升</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>手动(4s/m)</source>
        <translation>Manual(4s/m)</translation>
    </message>
    <message>
        <source>手动(6s/m)</source>
        <translation>Manual(6s/m)</translation>
    </message>
    <message>
        <source>手动(8s/m)</source>
        <translation>Manual(8s/m)</translation>
    </message>
    <message>
        <source>无线自动提升</source>
        <translation>Wireless</translation>
    </message>
    <message>
        <source>Talvenor</source>
        <translation>Talvenor</translation>
    </message>
    <message>
        <source>泰文诺检测</source>
        <translation>Talvenor</translation>
    </message>
</context>
<context>
    <name>CDlgMsgBox</name>
    <message>
        <source>提示</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgMsgQuestion</name>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Content</source>
        <translation>Content</translation>
    </message>
</context>
<context>
    <name>frmMessageBox</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>CANCEL</translation>
    </message>
</context>
<context>
    <name>CDlgNumKey</name>
    <message>
        <source>请输入一个数</source>
        <translation>Please input a number</translation>
    </message>
    <message>
        <source>输入的值为：</source>
        <translation>The input value is：</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>输入%1的值为：</source>
        <translation>The %1 input value is：</translation>
    </message>
    <message>
        <source>输入为空，请重新输入！</source>
        <translation>The input is empty,please input again!</translation>
    </message>
    <message>
        <source>%1的数值范围有误，请输入%2到%3之间的数!</source>
        <translation>The %1 value is invalid，please input %2-%3!</translation>
    </message>
    <message>
        <source>输入的数值范围有误，请重新输入！</source>
        <translation>Input value range is wrong,please input again!</translation>
    </message>
    <message>
        <source>title</source>
        <translation>title</translation>
    </message>
</context>
<context>
    <name>CDlgSelKey</name>
    <message>
        <source>选择</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>title</source>
        <translation>title</translation>
    </message>
</context>
<context>
    <name>keyboard</name>
    <message>
        <source>键盘</source>
        <translation>Keyboard</translation>
    </message>
    <message>
        <source>输入的值是：</source>
        <translation>The input value is：</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>拼音</source>
        <translation>Pinyin</translation>
    </message>
    <message>
        <source>请输入字符串长度：</source>
        <translation>Please input the string length: </translation>
    </message>
    <message>
        <source>加载错误</source>
        <translation>Load error</translation>
    </message>
    <message>
        <source>无法加载字符编码库文件%1
请检查文件是否有效！</source>
        <translation>Cannot load the character library file %1
Please check whether the file is valid!</translation>
    </message>
    <message>
        <source>title</source>
        <translation>title</translation>
    </message>
</context>
<context>
    <name>CDlgExportFile</name>
    <message>
        <source>文件管理</source>
        <translation>File Management</translation>
    </message>
    <message>
        <source>上
一
页</source>
        <translation>P
r
e
v</translation>
    </message>
    <message>
        <source>下
一
页</source>
        <translation>N
e
x
t</translation>
    </message>
    <message>
        <source>工程列表</source>
        <translation>Project List</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>按名称排列</source>
        <translation>By Name</translation>
    </message>
    <message>
        <source>按修改时间排列</source>
        <translation>By Time</translation>
    </message>
    <message>
        <source>按大小排列</source>
        <translation>By Size</translation>
    </message>
    <message>
        <source>逆序</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>删除所有工程文件</source>
        <translation>Delete All</translation>
    </message>
    <message>
        <source>导出所有工程文件</source>
        <translation>Export All</translation>
    </message>
    <message>
        <source>返回工程列表</source>
        <translation>Project List</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>删除当前工程文件</source>
        <translation>Delete Project</translation>
    </message>
    <message>
        <source>导出当前工程文件</source>
        <translation>Export Project</translation>
    </message>
    <message>
        <source>工程桩号列表</source>
        <translation> Pile List</translation>
    </message>
    <message>
        <source>桩文件名: </source>
        <translation>Pile file: </translation>
    </message>
    <message>
        <source>文件大小: %1KB (%2字节)</source>
        <translation>File size: %1KB (%2 bytes)</translation>
    </message>
    <message>
        <source>工程名: </source>
        <translation>Project: </translation>
    </message>
    <message>
        <source>桩数量: 包含%1个桩文件</source>
        <translation>Piles: %1 pile files</translation>
    </message>
    <message>
        <source>修改时间: %1年%2月%3日 %4:%5:%6</source>
        <translation>Modified: %1-%2-%3 %4:%5:%6</translation>
    </message>
    <message>
        <source>导出数据失败, 找不到设备!</source>
        <translation>Export failed, no USB disk found!</translation>
    </message>
    <message>
        <source>导出完成！已写入 %1</source>
        <translation>Export completed: written to %1</translation>
    </message>
    <message>
        <source>导出完成，但U盘未能卸载，请勿直接拔出U盘!</source>
        <translation>Export completed, but the USB disk could not be unmounted. Do not pull it out now!</translation>
    </message>
    <message>
        <source>删除文件成功!</source>
        <translation>File deleted!</translation>
    </message>
    <message>
        <source>删除文件失败!</source>
        <translation>The file could not be deleted!</translation>
    </message>
    <message>
        <source>删除工程成功!</source>
        <translation>Project deleted!</translation>
    </message>
    <message>
        <source>删除工程失败!</source>
        <translation>The project could not be deleted!</translation>
    </message>
    <message>
        <source>确定要删除所有工程及其桩文件?</source>
        <translation>Delete all projects and their pile files?</translation>
    </message>
    <message>
        <source>确定要删除当前工程下的所有桩文件?</source>
        <translation>Delete all pile files of this project?</translation>
    </message>
    <message>
        <source>删除成功!</source>
        <translation>Deleted!</translation>
    </message>
    <message>
        <source>删除失败!</source>
        <translation>Deletion failed!</translation>
    </message>
    <message>
        <source>确定要删除吗?</source>
        <translation>Delete it?</translation>
    </message>
</context>
<context>
    <name>CDlgFileOpt</name>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>工程汇总</source>
        <translation>Project summary</translation>
    </message>
    <message>
        <source>打  开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>导  出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>删  除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>返  回</source>
        <translation>Return</translation>
    </message>
</context>
<context>
    <name>CDlgProgress</name>
    <message>
        <source>导出进度</source>
        <translation>Export the progress</translation>
    </message>
    <message>
        <source>正在导出中，请稍等……</source>
        <translation>Are exported, please wait...</translation>
    </message>
    <message>
        <source>导出失败：无法挂载U盘！</source>
        <translation>Export failed: the USB disk could not be mounted!</translation>
    </message>
    <message>
        <source>导出失败：无法在U盘上创建工程 %1！</source>
        <translation>Export failed: project %1 could not be created on the USB disk!</translation>
    </message>
    <message>
        <source>导出失败：复制 %1/%2 失败！</source>
        <translation>Export failed: copying %1/%2 failed!</translation>
    </message>
    <message>
        <source>导出失败：写入U盘失败（%1）！</source>
        <translation>Export failed: writing to the USB disk failed (%1)!</translation>
    </message>
    <message>
        <source>导出完成！</source>
        <translation>Export completed!</translation>
    </message>
    <message>
        <source>导出完成</source>
        <translation>Export completed</translation>
    </message>
    <message>
        <source>正在导出文件：%1</source>
        <translation>Exporting file: %1</translation>
    </message>
    <message>
        <source>正在导出工程：%1</source>
        <translation>Exporting project: %1</translation>
    </message>
    <message>
        <source>桩文件 %1 已存在，确定要重新导出吗？</source>
        <translation>Pile file %1 already exists. Export it again?</translation>
    </message>
    <message>
        <source>工程 %1 已存在，确定要重新导出吗？</source>
        <translation>Project %1 already exists. Export it again?</translation>
    </message>
</context>
<context>
    <name>CDlgSaveMsg</name>
    <message>
        <source>提示</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>正在保存中，请稍等……</source>
        <translation>Are preserved, please wait...</translation>
    </message>
    <message>
        <source>  保存  </source>
        <translation>Save</translation>
    </message>
    <message>
        <source> 不保存 </source>
        <translation>Don't Save</translation>
    </message>
    <message>
        <source>返回实验</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>保存失败，本次测试数据未保存！
请重新保存，或选择不保存。</source>
        <translation>Saving failed, the test data was NOT saved!
Save again, or choose Don't Save.</translation>
    </message>
    <message>
        <source>您本次实验没有采集数据，是否退出？</source>
        <translation>No data was sampled in this test. Leave it?</translation>
    </message>
    <message>
        <source>是否确认不保存?选择确定将会结束实验！</source>
        <translation>Discard the test? OK ends it without saving!</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>电阻率</source>
        <translation>Resistivity</translation>
    </message>
    <message>
        <source>深度(m)</source>
        <translation>Depth(m)</translation>
    </message>
</context>
<context>
    <name>CDlgMain</name>
    <message>
        <source>深度(m)</source>
        <translation>Depth(m)</translation>
    </message>
    <message>
        <source>电阻率</source>
        <translation>Resistivity</translation>
    </message>
    <message>
        <source>读数中......</source>
        <translation>Reading......</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>已断开</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source> KRV-ZPV[W]-无线电阻率沉渣采集软件</source>
        <translation> KRV-ZPV[W]-Wireless Resistivity Sediment Tester</translation>
    </message>
    <message>
        <source>线缆长度:%1m</source>
        <translation>Cable length:%1m</translation>
    </message>
    <message>
        <source>  编码器值:%1</source>
        <translation>  Encoder:%1</translation>
    </message>
    <message>
        <source>出现漏点！当前高度：%1cm， 漏点高度：%2cm，请点击重采按钮！</source>
        <translation>Leak point! Current H: %1cm, leak H: %2cm. Press Resample!</translation>
    </message>
</context>
<context>
    <name>CShowPic</name>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
</context>
<context>
    <name>CDlgInfo</name>
    <message>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>返  回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>桩号:
管数:
桩长:
桩径:
始测深度:
测试日期：</source>
        <translation>Pile No.:
Tubes:
Pile length:
Pile diameter:
Start depth:
Test date:</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>孔深、泥浆视电阻率曲线图</source>
        <translation>Hole depth、Slurry apparent resistivity curve</translation>
    </message>
    <message>
        <source>上传信息提示栏(您可以点击波列图右侧的刻度条来关闭或打开此提示框)...</source>
        <translation>Upload the information bar...</translation>
    </message>
    <message>
        <source>孔深、泥浆视电阻率数据表</source>
        <translation>Data sheet</translation>
    </message>
    <message>
        <source>沉渣绘图</source>
        <translation>Sediment curve</translation>
    </message>
    <message>
        <source>选择量程(Ω∙m)</source>
        <translation>Range(Ω∙m)</translation>
    </message>
    <message>
        <source>图形放大(%)</source>
        <translation>Image enlarge(%)</translation>
    </message>
    <message>
        <source>成孔质量</source>
        <translation>Hole quality</translation>
    </message>
    <message>
        <source>沉渣厚度(cm)</source>
        <translation>Sediment Thickness(cm)</translation>
    </message>
    <message>
        <source>深度：</source>
        <translation>Depth:</translation>
    </message>
    <message>
        <source>电阻率：</source>
        <translation>Resistivity:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>采样</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>移点</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>新存</source>
        <translation>New</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Judge</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>电量</source>
        <translation>Battery</translation>
    </message>
    <message>
        <source>探头状态</source>
        <translation>Probe Status</translation>
    </message>
    <message>
        <source>连接状态:</source>
        <translation>Link:</translation>
    </message>
    <message>
        <source>已断开</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>实时电阻率：</source>
        <translation>Resistivity now:</translation>
    </message>
    <message>
        <source>桩号:
管数:
桩长:
桩径:
始测深度:
测试日期：</source>
        <translation>Pile No.:
Tubes:
Pile length:
Pile diameter:
Start depth:
Test date:</translation>
    </message>
    <message>
        <source>20.00</source>
        <translation>20.00</translation>
    </message>
    <message>
        <source>m</source>
        <translation>m</translation>
    </message>
    <message>
        <source>0.00</source>
        <translation>0.00</translation>
    </message>
    <message>
        <source>上次测试</source>
        <translation>Previous test</translation>
    </message>
</context>
<context>
    <name>CDlgMain</name>
    <message>
        <source>新存</source>
        <translation>New</translation>
    </message>
    <message>
        <source>采样</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>移点</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>重采</source>
        <translation>Resample</translation>
    </message>
    <message>
        <source>测试完成</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>关闭文件</source>
        <translation>Close File</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Qualified</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Unqualified</translation>
    </message>
    <message>
        <source>发送操作命令失败！</source>
        <translation>Send command failed!</translation>
    </message>
    <message>
        <source>文件已存在，请重新输入！</source>
        <translation>File already exists. Please reenter it!</translation>
    </message>
    <message>
        <source>文件名无效，请重新输入！</source>
        <translation>Invalid file name. Please reenter it!</translation>
    </message>
    <message>
        <source>输入无效！大于或等于零的值！</source>
        <translation>Please input number &gt;=0!</translation>
    </message>
    <message>
        <source>确定要关闭文件?</source>
        <translation>Close the file?</translation>
    </message>
    <message>
        <source>您当前实验的桩号没有修改，是否继续该实验？</source>
        <translation>Your current experimental pile ID did not change, whether to continue the experiment?</translation>
    </message>
    <message>
        <source>量程</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>图形放大(%)</source>
        <translation>Image enlarge(%)</translation>
    </message>
    <message>
        <source>沉渣厚度(cm)</source>
        <translation>Sediment
Thickness(cm)</translation>
    </message>
    <message>
        <source>成孔质量</source>
        <translation>Hole quality</translation>
    </message>
    <message>
        <source>深度%1m处的电阻率</source>
        <translation>Depth %1m Resistivity</translation>
    </message>
    <message>
        <source>  工程名称:%1
  文件名:%2
  孔号:%3
  孔深(m):%4
  孔径(mm):%5
  测试日期:%6</source>
        <translation>  Project Name:%1
  File Name:%2
  Hole No.:%3
  Hole L(m):%4
  Hole D(mm):%5
  Test Date:%6</translation>
    </message>
    <message>
        <source>  仪器编号:%1</source>
        <translation>  Instrument:%1</translation>
    </message>
    <message>
        <source>确定要退出吗?</source>
        <translation>Sure you want to exit?</translation>
    </message>
    <message>
        <source>工程：%1　文件：%2</source>
        <translation>Project: %1   File: %2</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>工程：%1　孔号：%2</source>
        <translation>Project: %1   Hole: %2</translation>
    </message>
    <message>
        <source>本次测试尚未保存，退出将丢失已测数据。确定要退出吗？</source>
        <translation>This test is not saved; exiting loses its samples. Exit anyway?</translation>
    </message>
    <message>
        <source>文件打开失败！</source>
        <translation>Failed to open the file!</translation>
    </message>
    <message>
        <source>请先在曲线或数据表上标记沉渣面，再按判定。</source>
        <translation>Mark the sediment top on the curve or in the table first, then press Judge.</translation>
    </message>
    <message>
        <source>测试名 %1 与孔号 %2 不同。
确定：孔号改为 %1；取消：孔号仍为 %2。</source>
        <translation>The test name %1 is not the hole number %2.
OK: the hole number becomes %1; Cancel: it stays %2.</translation>
    </message>
    <message>
        <source>文件保存失败！</source>
        <translation>Failed to save the file!</translation>
    </message>
</context>
<context>
    <name>CDlgSet</name>
    <message>
        <source>参数设置</source>
        <translation>Parameter Settings</translation>
    </message>
    <message>
        <source>基本信息</source>
        <translation>Basic Info</translation>
    </message>
    <message>
        <source>工程名称：</source>
        <translation>Project Name:</translation>
    </message>
    <message>
        <source>检测单位：</source>
        <translation>Test Unit:</translation>
    </message>
    <message>
        <source>施工单位：</source>
        <translation>Construction
 Unit:</translation>
    </message>
    <message>
        <source>检测人员：</source>
        <translation>Tester:</translation>
    </message>
    <message>
        <source>工程路径：</source>
        <translation>Project File:</translation>
    </message>
    <message>
        <source>孔信息</source>
        <translation>Hole Info</translation>
    </message>
    <message>
        <source>孔  号  ：</source>
        <translation>Hole No.:</translation>
    </message>
    <message>
        <source>孔深(m) ：</source>
        <translation>Hole L(m):</translation>
    </message>
    <message>
        <source>孔径(mm)：</source>
        <translation>Hole D(mm):</translation>
    </message>
    <message>
        <source>标高(m) ：</source>
        <translation>Standard-H(m):</translation>
    </message>
    <message>
        <source>偏 移 角：</source>
        <translation>Angle:</translation>
    </message>
    <message>
        <source>管位图</source>
        <translation>Location Diagram</translation>
    </message>
    <message>
        <source>基本参数</source>
        <translation>Basic parm</translation>
    </message>
    <message>
        <source>采集方式：</source>
        <translation>Sample Mode:</translation>
    </message>
    <message>
        <source>移距(mm)：</source>
        <translation>Move(mm):</translation>
    </message>
    <message>
        <source>滑轮参数</source>
        <translation>Winch
Parameter</translation>
    </message>
    <message>
        <source>滑轮直径(mm)：</source>
        <translation>Pulley D(mm):</translation>
    </message>
    <message>
        <source>电缆直径(mm)：</source>
        <translation>Cable D(mm):</translation>
    </message>
    <message>
        <source>保存并退出</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>自动提升</source>
        <translation>Auto-Raise</translation>
    </message>
    <message>
        <source>无线自动提升</source>
        <translation>Wireless</translation>
    </message>
    <message>
        <source>手动提升</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>手动(4s/m)</source>
        <translation>Manual(4s/m)</translation>
    </message>
    <message>
        <source>手动(6s/m)</source>
        <translation>Manual(6s/m)</translation>
    </message>
    <message>
        <source>手动(8s/m)</source>
        <translation>Manual(8s/m)</translation>
    </message>
    <message>
        <source>孔深</source>
        <translation>Hole L</translation>
    </message>
    <message>
        <source>标高</source>
        <translation>Standard-H</translation>
    </message>
    <message>
        <source>孔径</source>
        <translation>Hole Diameter</translation>
    </message>
    <message>
        <source>偏移角</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>滑轮直径</source>
        <translation>Pulley Diameter</translation>
    </message>
    <message>
        <source>电缆直径</source>
        <translation>Cable Diameter</translation>
    </message>
    <message>
        <source>移距</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>采集提升方式</source>
        <translation>Sample Mode</translation>
    </message>
    <message>
        <source>输入无效！偏移角超出范围(-360~360)！</source>
        <translation>The input is invalid!The offset Angle is beyond range (360 ~ 360)!</translation>
    </message>
    <message>
        <source>请输入工程名称！</source>
        <translation>Please input project name!</translation>
    </message>
    <message>
        <source>请输入工程路径！</source>
        <translation>Please input project path!</translation>
    </message>
    <message>
        <source>请输入检测单位！</source>
        <translation>Please input test unit!</translation>
    </message>
    <message>
        <source>请输入施工单位！</source>
        <translation>Please input Construction Unit!</translation>
    </message>
    <message>
        <source>请输入检测人员！</source>
        <translation>Please input Test Personnel!</translation>
    </message>
    <message>
        <source>请输入桩号！</source>
        <translation>Please input pile id!</translation>
    </message>
    <message>
        <source>请输入桩长！</source>
        <translation>Please input pile length!</translation>
    </message>
    <message>
        <source>桩长超出范围(0-200)，请重新输入！</source>
        <translation>Pile length is beyond range (0-200), please input again!</translation>
    </message>
    <message>
        <source>请输入标高！</source>
        <translation>Please input standard height!</translation>
    </message>
    <message>
        <source>标高超出范围(0-200)，请重新输入！</source>
        <translation>Standard-H is beyond range (0-200), please input again!</translation>
    </message>
    <message>
        <source>请输入桩径！</source>
        <translation>Please input pile diameter!</translation>
    </message>
    <message>
        <source>桩径超出范围(1-9999)，请重新输入！</source>
        <translation>Pile diameter is beyond range (1-9999), please input again!</translation>
    </message>
    <message>
        <source>请输入移距！</source>
        <translation>Please input move(mm)!</translation>
    </message>
    <message>
        <source>输入的移距的值不正确！</source>
        <translation>The value of the input of the move is not correct!</translation>
    </message>
    <message>
        <source>滑轮直径输入不正确！</source>
        <translation>The pulley diameter input is not correct!</translation>
    </message>
    <message>
        <source>电缆直径输入不正确！</source>
        <translation>Cable diameter input is not correct!</translation>
    </message>
    <message>
        <source>输入孔深大于标高，确定将标高设为与孔深相等吗？</source>
        <translation>The hole depth is above Standard-H. Set Standard-H to the hole depth?</translation>
    </message>
    <message>
        <source>请选择采集方式！</source>
        <translation>Please choose the sample mode!</translation>
    </message>
</context>
<context>
    <name>CDlgLeak</name>
    <message>
        <source>出现漏点</source>
        <translation>Leak Point</translation>
    </message>
    <message>
        <source>漏点高度(m)</source>
        <translation>Leak H(m)</translation>
    </message>
    <message>
        <source>当前高度(m)</source>
        <translation>Current H(m)</translation>
    </message>
    <message>
        <source>暂停测试</source>
        <translation>Pause test</translation>
    </message>
</context>
<context>
    <name>CDlgReSample</name>
    <message>
        <source>重采</source>
        <translation>Resample</translation>
    </message>
    <message>
        <source>当前高度(cm):</source>
        <translation>Current H(cm):</translation>
    </message>
    <message>
        <source>重采高度(cm):</source>
        <translation>Resample H(cm):</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>重采高度</source>
        <translation>Resample Height</translation>
    </message>
    <message>
        <source>请输入合法重采高度，高度应在%1cm-%2cm范围内</source>
        <translation>Please input a valid resample height within %1cm-%2cm</translation>
    </message>
    <message>
        <source>请输入合法重采高度，高度应为移距%1mm的整倍数</source>
        <translation>Please input a valid resample height: a multiple of the move %1mm</translation>
    </message>
</context>
<context>
    <name>CHoleReport</name>
    <message>
        <source>桩孔沉渣检测报告</source>
        <translation>Pile Hole Sediment Test Report</translation>
    </message>
    <message>
        <source>工程与桩孔</source>
        <translation>Project and hole</translation>
    </message>
    <message>
        <source>工程名称</source>
        <translation>Project</translation>
    </message>
    <message>
        <source>桩号</source>
        <translation>Hole No.</translation>
    </message>
    <message>
        <source>检测单位</source>
        <translation>Testing unit</translation>
    </message>
    <message>
        <source>施工单位</source>
        <translation>Construction unit</translation>
    </message>
    <message>
        <source>检测人员</source>
        <translation>Tester</translation>
    </message>
    <message>
        <source>仪器编号</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>检测日期</source>
        <translation>Test date</translation>
    </message>
    <message>
        <source>测试设置</source>
        <translation>Set-up</translation>
    </message>
    <message>
        <source>孔深(m)</source>
        <translation>Hole depth(m)</translation>
    </message>
    <message>
        <source>孔径(mm)</source>
        <translation>Hole diameter(mm)</translation>
    </message>
    <message>
        <source>孔口标高(m)</source>
        <translation>Elevation(m)</translation>
    </message>
    <message>
        <source>偏角(°)</source>
        <translation>Offset angle(°)</translation>
    </message>
    <message>
        <source>采样间距(mm)</source>
        <translation>Move distance(mm)</translation>
    </message>
    <message>
        <source>提升方式</source>
        <translation>Raising mode</translation>
    </message>
    <message>
        <source>滑轮直径(mm)</source>
        <translation>Pulley diameter(mm)</translation>
    </message>
    <message>
        <source>线径(mm)</source>
        <translation>Cable diameter(mm)</translation>
    </message>
    <message>
        <source>绞车速度</source>
        <translation>Winch speed</translation>
    </message>
    <message>
        <source>样点数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>判定结果</source>
        <translation>Judgement</translation>
    </message>
    <message>
        <source>沉渣厚度(cm)</source>
        <translation>Sediment thickness(cm)</translation>
    </message>
    <message>
        <source>成孔质量</source>
        <translation>Hole quality</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Qualified</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Unqualified</translation>
    </message>
    <message>
        <source>建议沉渣界面</source>
        <translation>Suggested interface</translation>
    </message>
    <message>
        <source>未发现明显的电阻率变化</source>
        <translation>No clear change of resistivity found</translation>
    </message>
    <message>
        <source>深度 %1 m，沉渣 %2 cm，置信度 %3%（仅供参考，判定以操作员为准）</source>
        <translation>depth %1 m, sediment %2 cm, confidence %3% (advice only; the operator judges)</translation>
    </message>
    <message>
        <source>文件声明 %1 个样点，实际只有 %2 个</source>
        <translation>The file announces %1 samples and holds %2</translation>
    </message>
    <message>
        <source>全孔曲线</source>
        <translation>Whole hole</translation>
    </message>
    <message>
        <source>孔底 %1 m</source>
        <translation>Bottom %1 m</translation>
    </message>
    <message>
        <source>电阻率(Ω∙m)</source>
        <translation>Resistivity(Ω∙m)</translation>
    </message>
    <message>
        <source>深度(m)</source>
        <translation>Depth(m)</translation>
    </message>
    <message>
        <source>沉渣面 %1cm</source>
        <translation>Sediment %1cm</translation>
    </message>
    <message>
        <source>样点数据</source>
        <translation>Sample table</translation>
    </message>
    <message>
        <source>样点数据（续）</source>
        <translation>Sample table (continued)</translation>
    </message>
    <message>
        <source>样点过多，表中只列出前 %1 个</source>
        <translation>Too many samples: the table lists the first %1</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>原始值(Ω∙m)</source>
        <translation>Raw(Ω∙m)</translation>
    </message>
    <message>
        <source>文件 %1</source>
        <translation>File %1</translation>
    </message>
    <message>
        <source>报告生成时间 %1</source>
        <translation>Report made %1</translation>
    </message>
    <message>
        <source>第 %1 页 / 共 %2 页</source>
        <translation>Page %1 of %2</translation>
    </message>
</context>
<context>
    <name>CSedimentSuggestion</name>
    <message>
        <source>建议沉渣 %1cm (%2%)</source>
        <translation>Suggested %1cm (%2%)</translation>
    </message>
</context>
<context>
    <name>Acceptance</name>
    <message>
        <source>沉渣 %1 mm（未设验收依据）</source>
        <translation>Sediment %1 mm (no acceptance basis)</translation>
    </message>
    <message>
        <source>沉渣 %1 mm %2 %3 mm（%4）%5</source>
        <translation>Sediment %1 mm %2 %3 mm (%4): %5</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>qualified</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>unqualified</translation>
    </message>
    <message>
        <source>未判定</source>
        <translation>not judged</translation>
    </message>
    <message>
        <source>沉渣 %1 mm</source>
        <translation>Sediment %1 mm</translation>
    </message>
    <message>
        <source>沉渣 %1 mm %2 %3 mm</source>
        <translation>Sediment %1 mm %2 %3 mm</translation>
    </message>
    <message>
        <source>%1（改判，原判 %2：%3）</source>
        <translation>%1 (overridden; the verdict was %2: %3)</translation>
    </message>
    <message>
        <source>%1（改判，原判 %2：%3；理由：%4）</source>
        <translation>%1 (overridden; the verdict was %2: %3; reason: %4)</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
</context>
<context>
    <name>OverrideReason</name>
    <message>
        <source>复测合格后改判</source>
        <translation>Passed on retest</translation>
    </message>
    <message>
        <source>设计变更</source>
        <translation>Design change</translation>
    </message>
    <message>
        <source>监理确认</source>
        <translation>Supervisor confirmed</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
</context>
<context>
    <name>MeasuringPosition</name>
    <message>
        <source>中心</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>X&apos;</source>
        <translation>X&apos;</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Y&apos;</source>
        <translation>Y&apos;</translation>
    </message>
</context>
<context>
    <name>PileLimits</name>
    <message>
        <source>端承桩</source>
        <translation>end-bearing</translation>
    </message>
    <message>
        <source>摩擦桩</source>
        <translation>friction</translation>
    </message>
    <message>
        <source>抗拔、抗水平力桩</source>
        <translation>uplift or horizontal</translation>
    </message>
    <message>
        <source>设计值</source>
        <translation>design value</translation>
    </message>
</context>
<context>
    <name>CProjectSummary</name>
    <message>
        <source>档案审计记录链头：%1</source>
        <translation>Archive audit trail head: %1</translation>
    </message>
    <message>
        <source>桩号</source>
        <translation>Hole</translation>
    </message>
    <message>
        <source>测点</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Tests</translation>
    </message>
    <message>
        <source>检测时间</source>
        <translation>Tested</translation>
    </message>
    <message>
        <source>检测人员</source>
        <translation>Tester</translation>
    </message>
    <message>
        <source>孔深(m)</source>
        <translation>Depth(m)</translation>
    </message>
    <message>
        <source>沉渣(mm)</source>
        <translation>Sediment(mm)</translation>
    </message>
    <message>
        <source>限值(mm)</source>
        <translation>Limit(mm)</translation>
    </message>
    <message>
        <source>验收依据</source>
        <translation>Basis</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>改判</source>
        <translation>Override</translation>
    </message>
    <message>
        <source>桩孔结论</source>
        <translation>Hole result</translation>
    </message>
    <message>
        <source>文件 SHA-256</source>
        <translation>File SHA-256</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>工程汇总</source>
        <translation>Project summary</translation>
    </message>
    <message>
        <source>检测 %1 孔，合格 %2，不合格 %3，未判定 %4</source>
        <translation>%1 holes tested, %2 qualified, %3 unqualified, %4 not judged</translation>
    </message>
    <message>
        <source>检测桩孔</source>
        <translation>Holes tested</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Qualified</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Unqualified</translation>
    </message>
    <message>
        <source>未判定</source>
        <translation>Not judged</translation>
    </message>
    <message>
        <source>无法读取的文件：%1</source>
        <translation>Files that cannot be read: %1</translation>
    </message>
    <message>
        <source>生成时间 %1</source>
        <translation>Made %1</translation>
    </message>
    <message>
        <source>第 %1 页 / 共 %2 页</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>办公室改判</source>
        <translation>Office re-judgement</translation>
    </message>
    <message>
        <source>办公室改判：%1</source>
        <translation>Office re-judgement: %1</translation>
    </message>
</context>
<context>
    <name>CArchivePages</name>
    <message>
        <source>请求头太多或太长。</source>
        <translation>The request&apos;s headers are too many or too long.</translation>
    </message>
    <message>
        <source>请求头没有按时收完。</source>
        <translation>The request&apos;s headers did not arrive in time.</translation>
    </message>
    <message>
        <source>这个服务器不以这个名字提供页面。</source>
        <translation>This server does not serve pages under this name.</translation>
    </message>
    <message>
        <source>请求正文须带 Content-Length，不分块传送。</source>
        <translation>A request body must come with a Content-Length, not in chunks.</translation>
    </message>
    <message>
        <source>不接受压缩的请求正文。</source>
        <translation>Compressed request bodies are not accepted.</translation>
    </message>
    <message>
        <source>请求正文太大（最多 %1 字节）。</source>
        <translation>The request body is too large (at most %1 bytes).</translation>
    </message>
    <message>
        <source>请求的范围太多。</source>
        <translation>The request asks for too many ranges.</translation>
    </message>
    <message>
        <source>这个地址的请求太多，请稍后再试。</source>
        <translation>Too many requests from this address; try again later.</translation>
    </message>
    <message>
        <source>改判</source>
        <translation>Overridden</translation>
    </message>
    <message>
        <source>改判：%1</source>
        <translation>Overridden: %1</translation>
    </message>
    <message>
        <source>签名</source>
        <translation>Signature</translation>
    </message>
    <message>
        <source>由仪器 %1 签名，已验证</source>
        <translation>Signed by instrument %1, verified</translation>
    </message>
    <message>
        <source>由仪器 %1 签名，已验证（该仪器已于 %2 吊销，本检测在此之前收到）</source>
        <translation>Signed by instrument %1, verified (the instrument was revoked on %2; this test was received before)</translation>
    </message>
    <message>
        <source>由仪器 %1 签名，但该仪器已于 %2 吊销：未验证</source>
        <translation>Signed by instrument %1, but the instrument was revoked on %2: not verified</translation>
    </message>
    <message>
        <source>由仪器 %1 签名，但签名与文件不符：未验证</source>
        <translation>Signed by instrument %1, but the signature does not match the files: not verified</translation>
    </message>
    <message>
        <source>未签名（从文件夹导入）</source>
        <translation>Unsigned (imported from a folder)</translation>
    </message>
    <message>
        <source>下载无法记入审计记录，因此不提供：%1</source>
        <translation>The download cannot be recorded in the audit trail, so it is not given: %1</translation>
    </message>
    <message>
        <source>zh</source>
        <translation>en</translation>
    </message>
    <message>
        <source>“%1”：%2 个孔</source>
        <translation>“%1”: %2 holes</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Unqualified</translation>
    </message>
    <message>
        <source>其他检测与版本 (叠加)</source>
        <translation>Other tests and versions (overlaid)</translation>
    </message>
    <message>
        <source>判定的沉渣面</source>
        <translation>Judged sediment interface</translation>
    </message>
    <message>
        <source>匹配</source>
        <translation>Matched</translation>
    </message>
    <message>
        <source>原始值</source>
        <translation>Raw value</translation>
    </message>
    <message>
        <source>参数不正确。</source>
        <translation>The request's parameters are not valid.</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Qualified</translation>
    </message>
    <message>
        <source>孔</source>
        <translation>Hole</translation>
    </message>
    <message>
        <source>孔号</source>
        <translation>Hole</translation>
    </message>
    <message>
        <source>孔数</source>
        <translation>Holes</translation>
    </message>
    <message>
        <source>孔深</source>
        <translation>Hole depth</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Imported</translation>
    </message>
    <message>
        <source>工程</source>
        <translation>Projects</translation>
    </message>
    <message>
        <source>工程“%1”中没有孔“%2”。</source>
        <translation>Project “%1” has no hole “%2”.</translation>
    </message>
    <message>
        <source>工程、孔号、检测人、单位</source>
        <translation>Project, hole, tester, unit</translation>
    </message>
    <message>
        <source>建议的沉渣面</source>
        <translation>Suggested sediment interface</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>未判定</source>
        <translation>Not judged</translation>
    </message>
    <message>
        <source>本次</source>
        <translation>This test</translation>
    </message>
    <message>
        <source>档案中没有工程“%1”。</source>
        <translation>The archive has no project “%1”.</translation>
    </message>
    <message>
        <source>档案中没有这个文件。</source>
        <translation>The archive has no such file.</translation>
    </message>
    <message>
        <source>档案中还没有孔。</source>
        <translation>The archive holds no holes yet.</translation>
    </message>
    <message>
        <source>桩孔沉渣检测档案</source>
        <translation>Pile-hole sediment archive</translation>
    </message>
    <message>
        <source>检测与版本</source>
        <translation>Tests and versions</translation>
    </message>
    <message>
        <source>检测人</source>
        <translation>Tester</translation>
    </message>
    <message>
        <source>检测单位</source>
        <translation>Testing unit</translation>
    </message>
    <message>
        <source>检测时间</source>
        <translation>Tested</translation>
    </message>
    <message>
        <source>检测次数</source>
        <translation>Tests</translation>
    </message>
    <message>
        <source>沉渣 %1 cm</source>
        <translation>Sediment %1 cm</translation>
    </message>
    <message>
        <source>沉渣厚度 (cm)</source>
        <translation>Sediment (cm)</translation>
    </message>
    <message>
        <source>沉渣厚度</source>
        <translation>Sediment thickness</translation>
    </message>
    <message>
        <source>没有这个页面。</source>
        <translation>There is no such page.</translation>
    </message>
    <message>
        <source>深度 (m)</source>
        <translation>Depth (m)</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>版本数</source>
        <translation>Versions</translation>
    </message>
    <message>
        <source>电阻率</source>
        <translation>Resistivity</translation>
    </message>
    <message>
        <source>电阻率曲线</source>
        <translation>Resistivity curve</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>请求不正确。</source>
        <translation>The request is not valid.</translation>
    </message>
    <message>
        <source>返回工程列表</source>
        <translation>Back to the projects</translation>
    </message>
    <message>
        <source>这个孔没有这个版本。</source>
        <translation>This hole has no such version.</translation>
    </message>
    <message>
        <source>采样点</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>限值 (mm)</source>
        <translation>Limit (mm)</translation>
    </message>
    <message>
        <source>限值</source>
        <translation>Limit</translation>
    </message>
    <message>
        <source>项目汇总</source>
        <translation>Project summary</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Administrator</translation>
    </message>
    <message>
        <source>工程师</source>
        <translation>Engineer</translation>
    </message>
    <message>
        <source>查看者</source>
        <translation>Viewer</translation>
    </message>
    <message>
        <source>已登录：%1（%2）</source>
        <translation>Signed in: %1 (%2)</translation>
    </message>
    <message>
        <source>退出登录</source>
        <translation>Sign out</translation>
    </message>
    <message>
        <source>这个档案没有用户，只能查看。</source>
        <translation>This archive has no users: it can only be viewed.</translation>
    </message>
    <message>
        <source>请先登录。</source>
        <translation>Please sign in first.</translation>
    </message>
    <message>
        <source>表单已过期或不是本网站的，请重新打开页面再提交。</source>
        <translation>The form has expired or does not come from this site: open the page again and send it once more.</translation>
    </message>
    <message>
        <source>登录失败次数过多，请 5 分钟后再试。</source>
        <translation>Too many failed sign-ins: try again in 5 minutes.</translation>
    </message>
    <message>
        <source>用户名或密码不正确。</source>
        <translation>Wrong user name or password.</translation>
        <source>由 %1 于 %2 在办公室改判：%3</source>
        <translation>Re-judged in the office by %1 at %2: %3</translation>
    </message>
    <message>
        <source>仪器的判定不在档案中</source>
        <translation>The instrument's judgement is not in the archive</translation>
    </message>
    <message>
        <source>版本 %1：沉渣 %2 cm，%3</source>
        <translation>Version %1: sediment %2 cm, %3</translation>
    </message>
    <message>
        <source>不变</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>在办公室改判</source>
        <translation>Re-judge in the office</translation>
    </message>
    <message>
        <source>成孔质量</source>
        <translation>Hole quality</translation>
    </message>
    <message>
        <source>按判定</source>
        <translation>As the verdict gives</translation>
    </message>
    <message>
        <source>验收依据</source>
        <translation>Basis</translation>
    </message>
    <message>
        <source>设计限值 (mm)</source>
        <translation>Design limit (mm)</translation>
    </message>
    <message>
        <source>理由（必填）</source>
        <translation>Reason (required)</translation>
    </message>
    <message>
        <source>保存为新版本</source>
        <translation>Save as a new version</translation>
    </message>
    <message>
        <source>办公室改判</source>
        <translation>Office re-judgement</translation>
    </message>
    <message>
        <source>仪器的判定</source>
        <translation>Instrument's judgement</translation>
    </message>
    <message>
        <source>办公室改判：%1</source>
        <translation>Re-judged in the office: %1</translation>
    </message>
    <message>
        <source>办公室改判（%1），不经仪器签名</source>
        <translation>Re-judged in the office (%1): not signed by an instrument</translation>
    </message>
    <message>
        <source>只有登录的工程师或管理员可以改判。</source>
        <translation>Only a signed-in engineer or administrator may re-judge.</translation>
    </message>
    <message>
        <source>请求太大。</source>
        <translation>The request is too large.</translation>
    </message>
    <message>
        <source>厚度、成孔质量或限值不正确。</source>
        <translation>The thickness, hole quality or limit is not valid.</translation>
    </message>
    <message>
        <source>改判必须写明理由。</source>
        <translation>A re-judgement needs a reason.</translation>
    </message>
    <message>
        <source>这个版本已不是最新的，有人已先改判：%1</source>
        <translation>This version is no longer the newest; someone re-judged it first: %1</translation>
    </message>
</context>
<context>
    <name>CHoleReport</name>
    <message>
        <source>验收依据</source>
        <translation>Acceptance basis</translation>
    </message>
    <message>
        <source>限值(mm)</source>
        <translation>Limit(mm)</translation>
    </message>
    <message>
        <source>测点 / 次数</source>
        <translation>Position / test</translation>
    </message>
    <message>
        <source>验收判定</source>
        <translation>Verdict</translation>
    </message>
</context>
<context>
    <name>CLocationPic</name>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
</context>
<context>
    <name>CDlgMain</name>
    <message>
        <source>判定结果为%1。确定改判为%2吗？</source>
        <translation>The verdict is %1. Change it to %2?</translation>
    </message>
    <message>
        <source>改判理由</source>
        <translation>Reason for the change</translation>
    </message>
    <message>
        <source>建议：</source>
        <translation>Suggested: </translation>
    </message>
    <message>
        <source>上次测试 %1 %2</source>
        <translation>Previous test %1 %2</translation>
    </message>
</context>
<context>
    <name>CDlgSet</name>
    <message>
        <source>验收依据：</source>
        <translation>Basis:</translation>
    </message>
    <message>
        <source>测点：</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>不指定</source>
        <translation>Not named</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>设计值(mm)</source>
        <translation>Design value(mm)</translation>
    </message>
    <message>
        <source>验收依据</source>
        <translation>Acceptance basis</translation>
    </message>
    <message>
        <source>输入无效！设计值应在1~100000 mm之间！</source>
        <translation>Invalid input! The design value must be 1 to 100000 mm!</translation>
    </message>
    <message>
        <source>测点</source>
        <translation>Position</translation>
    </message>
</context>
<context>
    <name>CDlgExportFile</name>
    <message>
        <source>工程汇总</source>
        <translation>Project summary</translation>
    </message>
    <message>
        <source>工程汇总已保存：
%1
%2</source>
        <translation>Project summary saved:
%1
%2</translation>
    </message>
    <message>
        <source>工程汇总保存失败！</source>
        <translation>The project summary could not be saved!</translation>
    </message>
    <message>
        <source>%1 的测试</source>
        <translation>Tests of %1</translation>
    </message>
</context>
<context>
    <name>CDlgProgress</name>
    <message>
        <source>导出失败：复制 %1 失败！</source>
        <translation>Export failed: copying %1 failed!</translation>
    </message>
</context>
<context>
    <name>CUploadStrip</name>
    <message>
        <source>档案服务器无法连接</source>
        <translation>the archive cannot be reached</translation>
    </message>
    <message>
        <source>档案服务器的证书不可信</source>
        <translation>the archive&apos;s certificate is not trusted</translation>
    </message>
    <message>
        <source>档案拒绝了本仪器（未登记或已吊销）</source>
        <translation>the archive refused this instrument (not registered or revoked)</translation>
    </message>
    <message>
        <source>档案拒绝了测试文件（签名或校验不符）</source>
        <translation>the archive refused the test&apos;s files (signature or checksum does not match)</translation>
    </message>
    <message>
        <source>档案服务器出错</source>
        <translation>the archive server failed</translation>
    </message>
    <message>
        <source>档案的回答不正确</source>
        <translation>the archive&apos;s answer was not correct</translation>
    </message>
    <message>
        <source>待上传的文件无法读取</source>
        <translation>a waiting file cannot be read</translation>
    </message>
    <message numerus="yes">
        <source>上传失败：%1，待上传 %n 个测试，稍后自动重试</source>
        <translation>
            <numerusform>Upload failed: %1; %n test waiting, trying again shortly</numerusform>
            <numerusform>Upload failed: %1; %n tests waiting, trying again shortly</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>待上传 %n 个测试</source>
        <translation>
            <numerusform>%n test waiting for upload</numerusform>
            <numerusform>%n tests waiting for upload</numerusform>
        </translation>
    </message>
    <message>
        <source>已全部上传到档案</source>
        <translation>All tests are in the archive</translation>
    </message>
</context>
</TS>
